// The viewer's entry: the main window, with the program's arguments as its
// command line.
#include <QApplication>
#include <QStringList>

#include "frm_zarvex.h"

int main(int argc, char** argv) {
  // Qt sees only the program's name: every argument belongs to the command
  // line, which names the file to open. Qt's environment variables still work.
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  QApplication::setApplicationName(QStringLiteral("Zarvex"));
  QApplication::setDesktopFileName(QStringLiteral("zarvex"));

  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

  zarvex::frmZarvex window(arguments.join(QLatin1Char(' ')));
  window.show();
  return QApplication::exec();
}
