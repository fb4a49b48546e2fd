#pragma once

#include <QIcon>
#include <QList>

namespace tonquill {

// The window program's pictures: from the desktop's icon theme by their freedesktop names where
// the theme has them, otherwise our own drawings compiled into the program, so the window looks
// complete on a bare desktop too.
class AppIcons {
public:
    // The toolbar's images by index; the format images follow the output format.
    enum ToolbarImage : int {
        AddFiles = 0,
        AddFolder = 1,
        AddFolderTree = 2,
        Mp3Image = 3,
        Convert = 4,
        Options = 5,
        Help = 6,
        About = 7,
        WavImage = 8,
        WmaImage = 9,
        OggImage = 10,
        FlacImage = 11,
        OpusImage = 12,
        ToolbarImageCount = 13,
    };
    // The list header's images: no arrow, ascending, descending.
    enum HeaderImage : int { SortNone = 0, SortAscending = 1, SortDescending = 2 };

    // Our own drawing, also the icon of every window.
    static QIcon ProgramIcon();
    static QIcon Toolbar(int image);
    static QList<QIcon> HeaderImages();
    // The toolbar image of an output format code; MP3's for a code without its own.
    static int FormatImage(int outputFormat);
};

}  // namespace tonquill
