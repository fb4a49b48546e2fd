#include "app/AboutDlg.h"

#include <gtest/gtest.h>

#include "ui/HyperLink.h"

namespace tonquill {
namespace {

TEST(AboutDlgTest, ShowsTheSiteAndTheSupportAddressAsLinks) {
    CAboutDlg about;
    about.show();
    EXPECT_EQ(about.windowTitle(), "About Tonquill");
    EXPECT_EQ(about.Homepage()->text(), "https://tonquill.org/");
    EXPECT_EQ(about.Homepage()->Target(), "https://tonquill.org/");
    EXPECT_EQ(about.Support()->text(), "support@tonquill.org");
    EXPECT_EQ(about.Support()->Target(), "mailto:support@tonquill.org");
    // The links fit inside the box, whatever the desktop's font.
    EXPECT_TRUE(about.rect().contains(about.Homepage()->geometry()));
    EXPECT_TRUE(about.rect().contains(about.Support()->geometry()));
}

}  // namespace
}  // namespace tonquill
