#pragma once

#include <QIcon>
#include <QList>

#include "base/AudioFormat.h"

namespace tonquill {

// The window program's pictures: from the desktop's icon theme by their freedesktop names where
// the theme has them, otherwise our own drawings compiled into the program, so the window looks
// complete on a bare desktop too.
class AppIcons {
public:
    // The toolbar's images by index; the format images follow the output format.
    // The toolbar's images by index; the format images follow, one per format of the table in
    // its order, and the Format button shows the one of the output format.
    enum ToolbarImage : int {
        AddFiles = 0,
        AddFolder = 1,
        AddFolderTree = 2,
        DefaultFormatImage = 3,  // the default output format's, before the settings are read
        Convert = 4,
        Options = 5,
        Help = 6,
        About = 7,
        FirstFormatImage = 8,
        ToolbarImageCount = FirstFormatImage + static_cast<int>(FormatTable.size()),
    };
    // The list header's images: no arrow, ascending, descending.
    enum HeaderImage : int { SortNone = 0, SortAscending = 1, SortDescending = 2 };

    // Our own drawing, also the icon of every window.
    static QIcon ProgramIcon();
    static QIcon Toolbar(int image);
    static QList<QIcon> HeaderImages();
    // The toolbar image of an output format code; the default output format's for a code no
    // format has.
    static int FormatImage(int outputFormat);
};

}  // namespace tonquill
