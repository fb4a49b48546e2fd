#include "app/AppIcons.h"

#include <QPixmap>
#include <set>
#include <string>

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
// no format has, and the button before the settings are read, show the default output format's.
TEST(AppIconsTest, EveryOutputFormatHasAPictureOfItsOwn) {
    std::set<std::string> pictures;
    for (const FormatInfo& format : FormatTable) {
        EXPECT_TRUE(pictures.insert(format.icon).second) << format.name << " shares its picture";
        const int image = AppIcons::FormatImage(format.code);
        EXPECT_FALSE(AppIcons::Toolbar(image).pixmap(48, 48).isNull()) << format.name;
    }
    const int fallback = AppIcons::FormatImage(DefaultOutputFormat);
    EXPECT_EQ(AppIcons::FormatImage(0), fallback);
    EXPECT_EQ(AppIcons::Toolbar(AppIcons::DefaultFormatImage).pixmap(48, 48).toImage(),
              AppIcons::Toolbar(fallback).pixmap(48, 48).toImage());
}

}  // namespace
}  // namespace tonquill
