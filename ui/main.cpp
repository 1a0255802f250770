// The viewer's entry: the main window, with the program's arguments as its
// command line.
#include <QApplication>
#include <string>

#include "frm_zarvex.h"

int main(int argc, char** argv) {
  // Qt sees only the program's name: every argument belongs to the command
  // line, which names the file to open. Qt's environment variables still work.
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  QApplication::setApplicationName(QStringLiteral("Zarvex"));
  QApplication::setDesktopFileName(QStringLiteral("zarvex"));

  // The arguments' bytes as the system gave them: a file name need not be UTF-8.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }

  zarvex::frmZarvex window{QString()};
  window.showThenOpen(commandLine);
  return QApplication::exec();
}
