#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Kestrune version 2.0");
    QWidget window;
    window.setWindowTitle("Kestrune version 2.0");
    window.setFixedSize(425, 279);
    window.show();
    return QApplication::exec();
}
