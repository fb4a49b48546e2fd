#include "app/AppIcons.h"

#include <QPixmap>

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

TEST(AppIconsTest, TheFormatButtonShowsTheOutputFormat) {
    EXPECT_EQ(AppIcons::FormatImage(FormatMp3), AppIcons::Mp3Image);
    EXPECT_EQ(AppIcons::FormatImage(FormatWav), AppIcons::WavImage);
    EXPECT_EQ(AppIcons::FormatImage(FormatWma), AppIcons::WmaImage);
    EXPECT_EQ(AppIcons::FormatImage(FormatOgg), AppIcons::OggImage);
    EXPECT_EQ(AppIcons::FormatImage(0), AppIcons::Mp3Image);
}

}  // namespace
}  // namespace tonquill
