#include "app/AppIcons.h"

#include <QPixmap>
#include <set>

#include <gtest/gtest.h>

#include "base/AudioFormat.h"

namespace tonquill {
namespace {

// On a bare desktop (the test platform has no icon theme) every picture still draws, from our
// own drawings: the resources are linked and the SVG plugin is there.
TEST(AppIconsTest, EveryPictureDrawsWithoutAnIconTheme) {
    for (int image = 0; image < AppIcons::ToolbarImageCount; ++image) {
        const QPixmap pixmap = AppIcons::Toolbar(image).pixmap(48, 48);
        EXPECT_FALSE(pixmap.isNull()) << image;
        EXPECT_GE(pixmap.width(), 48) << image;
    }
    EXPECT_FALSE(AppIcons::ProgramIcon().pixmap(256, 256).isNull());
    const QList<QIcon> header = AppIcons::HeaderImages();
    ASSERT_EQ(header.size(), 3);
    EXPECT_FALSE(header[AppIcons::SortAscending].pixmap(16, 16).isNull());
    EXPECT_TRUE(AppIcons::Toolbar(AppIcons::ToolbarImageCount).isNull());
}

// Every format of the table has a picture of its own for the Format button, and it draws; a code
// no format has falls back to MP3's, the default output format.
TEST(AppIconsTest, EveryOutputFormatHasAPictureOfItsOwn) {
    std::set<int> seen;
    for (const FormatInfo& format : FormatTable) {
        const int image = AppIcons::FormatImage(format.code);
        EXPECT_TRUE(seen.insert(image).second) << format.name << " shares its picture";
        EXPECT_FALSE(AppIcons::Toolbar(image).pixmap(48, 48).isNull()) << format.name;
    }
    EXPECT_EQ(AppIcons::FormatImage(0), AppIcons::FormatImage(FormatMp3));
}

}  // namespace
}  // namespace tonquill
