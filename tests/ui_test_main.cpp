// Runs the window tests inside a QApplication on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  return RUN_ALL_TESTS();
}
