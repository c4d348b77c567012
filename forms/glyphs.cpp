#include "forms/glyphs.h"

// Drawn in the Windows 16-colour palette; "None" is the transparent background.

namespace {

// A compact disc with a rainbow sheen.
const char *const compactDisc[] = {
    "17 16 8 1",
    "  c None",
    ". c #000000",
    "C c #00FFFF",
    "M c #FF00FF",
    "Y c #FFFF00",
    "d c #808080",
    "s c #C0C0C0",
    "w c #FFFFFF",
    "      ddddd      ",
    "    dddsssddd    ",
    "   ddwssssssdd   ",
    "  dCCwwsssssssd  ",
    "  dwCCwsssssssd  ",
    " dswwwwwdwwssss. ",
    " dssswdd ddssss. ",
    " dssswd   dwsss. ",
    " dssswd   dwsss. ",
    " dssssdd ddCsss. ",
    " dsssswwdwwCCCs. ",
    "  .sssssssMYYC.  ",
    "  .sssssssMMYY.  ",
    "   ..ssssssM..   ",
    "    ...sss...    ",
    "      .....      "
};

// A folder opening, a curved arrow coming out of it.
const char *const openFolder[] = {
    "17 16 5 1",
    "  c None",
    ". c #000000",
    "Y c #FFFF00",
    "o c #808000",
    "w c #FFFFFF",
    "         .....   ",
    "        .     .  ",
    "       .    .....",
    "       .     ... ",
    "              .  ",
    " ....            ",
    ".wYwY.......     ",
    ".YooooooooY.     ",
    ".YooooooooY.     ",
    ".Yoooooooo.      ",
    ".Yoo.............",
    ".Yo.YYYYYYYYYYY. ",
    ".o.YYYYYYYYYYY.  ",
    "..YYYYYYYYYYY.   ",
    ".ooooooooooo.    ",
    ".............    "
};

// A floppy disk: label above, shutter below.
const char *const floppyDisk[] = {
    "17 16 6 1",
    "  c None",
    ". c #000000",
    "d c #808080",
    "n c #000080",
    "s c #C0C0C0",
    "w c #FFFFFF",
    "                 ",
    " ..............  ",
    " .nwwwwwwwwwwnn. ",
    " .nwddddddddwnn. ",
    " .nwwwwwwwwwwnn. ",
    " .nwddddddddwnn. ",
    " .nwwwwwwwwwwnn. ",
    " .nwwwwwwwwwwnn. ",
    " .nnnnnnnnnnnnn. ",
    " .nnnnnnnnnnnnn. ",
    " .nnsssssssssnn. ",
    " .nnss..sssssnn. ",
    " .nnss..sssssnn. ",
    " .nnss..sssssnn. ",
    " .nnsssssssssnn. ",
    " ............... "
};

// Two overlapping pages with folded corners.
const char *const pages[] = {
    "17 16 4 1",
    "  c None",
    ". c #000000",
    "d c #808080",
    "w c #FFFFFF",
    ".......          ",
    ".wwwww..         ",
    ".wwwww.w.        ",
    ".wwwww....       ",
    ".wwwwww.......   ",
    ".wddddd.wwwww..  ",
    ".wwwwww.wwwww.w. ",
    ".wddddd.wwwww....",
    ".wwwwww.wwwwwwww.",
    ".wddddw.wddddddw.",
    ".wwwwww.wwwwwwww.",
    "........wddddddw.",
    "       .wwwwwwww.",
    "       .wddddwww.",
    "       .wwwwwwww.",
    "       .........."
};

// A black cross.
const char *const cross[] = {
    "17 16 2 1",
    "  c None",
    ". c #000000",
    "                 ",
    "                 ",
    "                 ",
    "   ..       ..   ",
    "    ..     ..    ",
    "     ..   ..     ",
    "      .. ..      ",
    "       ...       ",
    "       ...       ",
    "      .. ..      ",
    "     ..   ..     ",
    "    ..     ..    ",
    "   ..       ..   ",
    "                 ",
    "                 ",
    "                 "
};

// A question mark.
const char *const question[] = {
    "17 16 2 1",
    "  c None",
    ". c #000000",
    "                 ",
    "      .....      ",
    "     .......     ",
    "    ...   ...    ",
    "    ...   ...    ",
    "          ...    ",
    "         ...     ",
    "        ...      ",
    "       ...       ",
    "       ...       ",
    "       ...       ",
    "                 ",
    "       ...       ",
    "       ...       ",
    "                 ",
    "                 "
};

// The program icon: a compact disc with a pair of eighth notes.
const char *const programIcon[] = {
    "32 32 8 1",
    "  c None",
    ". c #000000",
    "C c #00FFFF",
    "M c #FF00FF",
    "Y c #FFFF00",
    "d c #808080",
    "s c #C0C0C0",
    "w c #FFFFFF",
    "           dddddd               ",
    "        dddssssssddd            ",
    "      ddwwwsssssssssdd          ",
    "     ddCwwwssssssssssdd         ",
    "    dCCCCwwssssssssssssd        ",
    "   dMMCCCwwwssssssssssssd       ",
    "  ddMMMCCCwwssssssssssssdd      ",
    "  dwMMMMCCCwsssssssssssssd      ",
    " dwwwwMMMCCwwwwwwsssssssssd     ",
    " dwwwwwMMMwwwwwwwwssssssss.     ",
    " dsswwwwwwwwwddwwwwsssssss.     ",
    "dsssssswwwwdd  ddwwwsssssss.    ",
    "dssssssswwwd    dwwwsssssss.    ",
    "dssssssswwd      dwwssssswww .. ",
    "dssssssswwd      dwwsswwww..... ",
    "dssssssswwwd    dwwwwww........ ",
    "dssssYYYwwwdd  ddwwww.......... ",
    " dYYYYYCCwwwwddwwwwsw.....w  .. ",
    " dYYYYCCCwwwwwwwwwssw..wwww  .. ",
    " .YYCCCCwwswwwwwwsssw..wss.  .. ",
    "  .CCCCwwwssssssssssw..ws.   .. ",
    "  ..CCwwwsssssssssssw..w..   .. ",
    "   .Cwwwssssssssssssw..w.    .. ",
    "    .wwwssssssssssssw..w     .. ",
    "     ..sssssssssssssw..    .... ",
    "      ..sssssssssswww..  ...... ",
    "        ...ssssswww....  ...... ",
    "           .....w......  ....   ",
    "                 ......         ",
    "                 ....           ",
    "                                ",
    "                                "
};

}

namespace glyphs {

QPixmap CompactDisc() { return QPixmap(compactDisc); }
QPixmap OpenFolder() { return QPixmap(openFolder); }
QPixmap FloppyDisk() { return QPixmap(floppyDisk); }
QPixmap Pages() { return QPixmap(pages); }
QPixmap Cross() { return QPixmap(cross); }
QPixmap Question() { return QPixmap(question); }
QPixmap ProgramIcon() { return QPixmap(programIcon); }

}
