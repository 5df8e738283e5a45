#include <QApplication>
#include <QLocale>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmorant"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Velmorant"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
