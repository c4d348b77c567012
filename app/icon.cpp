#include "forms/glyphs.h"
#include <QGuiApplication>

// Writes the program icon as a PNG for the desktop's icon theme.
int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return glyphs::ProgramIcon().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
