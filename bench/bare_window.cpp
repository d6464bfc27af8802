// The floor for a Qt Widgets program on this machine: one empty 425 by 279 window and the event
// loop, nothing else. With --label the window holds one line of text, which shows what drawing
// any text at all (the font database, glyphs) adds to that floor.

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle("Bare window");
    window.setFixedSize(425, 279);
    if (argc > 1 && std::strcmp(argv[1], "--label") == 0) {
        auto* label = new QLabel("Program ready", &window);
        label->move(16, 240);
    }
    window.show();
    return QApplication::exec();
}
