#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window; // the main window follows
    window.setWindowTitle(QStringLiteral("Tarnveil"));
    window.show();
    return app.exec();
}
