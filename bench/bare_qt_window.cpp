// The start-up benchmark's peer: a bare Qt Widgets program that shows one window of the main
// window's size and waits, so the program's start-up is measured against Qt's own cost on the
// same display in the same run. With --text the window holds one line of text in the main
// window's face and size: what the first text costs any window (the font system's start).
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Bare window"));
  window.resize(640, 400);
  if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
    auto* label = new QLabel(QStringLiteral("Lantervo"), &window);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    label->setFont(font);
    label->adjustSize();
  }
  window.show();
  return QApplication::exec();
}
