// The start-up benchmark's peer: a bare Qt Widgets program that shows one window of the main
// window's size and waits, so the program's start-up is measured against Qt's own cost on the
// same display in the same run.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Bare window"));
  window.resize(640, 400);
  window.show();
  return QApplication::exec();
}
