#include "load_messages.h"

#include "number_text.h"

namespace zarvex {

std::string earlyEndMessage(std::int64_t offset) {
  return "The file ends early, at offset" + messageNumber(offset) + ": the listing stops there.";
}

std::string damagedProgramMessage(std::int64_t offset) {
  return "The program is damaged at offset" + messageNumber(offset) +
         ": a length or distance there points outside its lines. The listing stops there.";
}

std::string encipheredProcedureMessage(std::int64_t offset) {
  return "The program is damaged at offset" + messageNumber(offset) +
         ": the locked procedure there cannot be deciphered, as its size does not match its lines. "
         "Its body is listed as {locked} lines.";
}

std::string tokenSummaryMessage(std::int32_t extensionCalls, std::int32_t undefinedCalls) {
  return "Document contains:\r\n" + messageNumber(extensionCalls) + " Extension calls\r\n" +
         messageNumber(undefinedCalls) + " Undefined calls" + std::string(30, ' ');
}

std::string notAnAmosProgramMessage(const std::string& fileName) {
  return (fileName.empty() ? std::string("The file") : fileName) +
         " does not start like an AMOS program, so the complete vocabulary cannot list it.";
}

}  // namespace zarvex
