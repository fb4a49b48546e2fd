#include "app/AboutDlg.h"

#include <gtest/gtest.h>

#include <QLabel>

#include "ui/HyperLink.h"

namespace tonquill {
namespace {

// Each link shows where it leads: the site opens itself, the address opens a mail to itself.
TEST(AboutDlgTest, TheLinksOpenWhatTheyShow) {
    CAboutDlg about;
    about.show();
    EXPECT_EQ(about.windowTitle(), "About Tonquill");
    EXPECT_TRUE(about.Homepage()->text().startsWith("https://"))
        << about.Homepage()->text().toStdString();
    EXPECT_EQ(about.Homepage()->Target(), about.Homepage()->text());
    EXPECT_EQ(about.Support()->Target(), "mailto:" + about.Support()->text());
    // The links fit inside the box, whatever the desktop's font.
    EXPECT_TRUE(about.rect().contains(about.Homepage()->geometry()));
    EXPECT_TRUE(about.rect().contains(about.Support()->geometry()));
}

// A person reporting a fault can tell which build they run: the box names the version that
// `tonquill --version` prints, whole, inside the box.
TEST(AboutDlgTest, ShowsTheBuildsVersion) {
    CAboutDlg about;
    about.show();
    EXPECT_EQ(about.Version()->text(), QStringLiteral("Version " TONQUILL_VERSION));
    EXPECT_TRUE(about.rect().contains(about.Version()->geometry()));
    EXPECT_LE(about.Version()->sizeHint().width(), about.Version()->width());
}

}  // namespace
}  // namespace tonquill
