#pragma once
#include <QPixmap>

// The pictures drawn for Marel: 17 x 16 button glyphs in 16 colours and the
// 32 x 32 program icon.
namespace glyphs {
QPixmap CompactDisc();
QPixmap OpenFolder();
QPixmap FloppyDisk();
QPixmap Pages();
QPixmap Cross();
QPixmap Question();
QPixmap ProgramIcon();
}
