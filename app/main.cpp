#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Marel");
    window.resize(332, 366);
    window.show();
    app.exec();
    return 0;
}
