// The floor: the least a Qt Widgets program does to show a window. With --text it also shows one
// line of text, which makes Qt load its font database before the window appears.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(474, 337);
    if (QApplication::arguments().contains(QStringLiteral("--text"))) {
        (new QLabel(QStringLiteral("Servidor:"), &window))->move(10, 10);
    }
    window.show();
    return QApplication::exec();
}
