#include "console_host.h"

#include "console_output.h"

namespace zarvex {

MessageAnswer ConsoleHost::showMessage(const std::string& text, MessageButtons) {
  // Every question is answered OK: the load goes on (its result counts them).
  std::string line = "zarvex-list: " + m_file + ": ";
  for (char c : text) {
    if (c == '\r') continue;
    line.push_back(c);
    if (c == '\n') line += "  ";
  }
  // Trailing blanks pad the summary for a message box; a terminal needs none.
  while (!line.empty() && line.back() == ' ') line.pop_back();
  line += '\n';
  if (m_beforeMessage) m_beforeMessage();
  writeTo(m_messages, {line});
  return MessageAnswer::Ok;
}

}  // namespace zarvex
