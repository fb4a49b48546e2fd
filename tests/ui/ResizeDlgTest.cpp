#include <QLabel>
#include <QSettings>

#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "ui/ResizeDlg.h"
#include "ui/SizeGripExt.h"

namespace tonquill {
namespace {

struct AnchorCase {
    const char* name;
    HorizontalMode h;
    VerticalMode v;
    QRect stored;
    double xRatio;
    int dx, dy, newWidth;
    QRect expected;
};

// A child at (40, 20) 60 x 10 in a 200 x 100 client.
const AnchorCase AnchorCases[] = {
    {"FixedStaysPut",
     HorizontalMode::Fixed,
     VerticalMode::Fixed,
     {40, 20, 60, 10},
     0,
     50,
     30,
     250,
     {40, 20, 60, 10}},
    {"StretchGrowsRightAndBottom",
     HorizontalMode::Stretch,
     VerticalMode::Stretch,
     {40, 20, 60, 10},
     0,
     50,
     30,
     250,
     {40, 20, 110, 40}},
    {"MoveKeepsDistanceToEdges",
     HorizontalMode::Move,
     VerticalMode::Move,
     {40, 20, 60, 10},
     0,
     50,
     30,
     250,
     {90, 50, 60, 10}},
    {"StretchShrinks",
     HorizontalMode::Stretch,
     VerticalMode::Fixed,
     {40, 20, 60, 10},
     0,
     -20,
     -5,
     180,
     {40, 20, 40, 10}},
    // Centre 70 of 200: ratio 0.35; 0.35 x 300 - 30 = 75.
    {"CentreStaysCentred",
     HorizontalMode::Centre,
     VerticalMode::Fixed,
     {40, 20, 60, 10},
     0.35,
     100,
     0,
     300,
     {75, 20, 60, 10}},
    // 0.35 x 151 - 30 = 22.85, truncated to 22.
    {"CentreTruncates",
     HorizontalMode::Centre,
     VerticalMode::Move,
     {40, 20, 60, 10},
     0.35,
     -49,
     7,
     151,
     {22, 27, 60, 10}},
};

TEST(AnchorEntry, ModesFollowTheSizeChange) {
    for (const AnchorCase& c : AnchorCases) {
        AnchorEntry entry;
        entry.horizontalMode = c.h;
        entry.verticalMode = c.v;
        entry.rect = c.stored;
        entry.xRatio = c.xRatio;
        EXPECT_EQ(entry.Moved(c.dx, c.dy, c.newWidth), c.expected) << c.name;
    }
}

class TestDialog : public CResizeDlg {
public:
    TestDialog() {
        resize(200, 100);
        centred = new QLabel(this);
        centred->setGeometry(40, 20, 60, 10);
        moved = new QLabel(this);
        moved->setGeometry(150, 80, 40, 12);
        clipped = new QLabel(this);
        clipped->setGeometry(10, 10, 20, 20);
        InitResizeDlg();
        AnchorControl(centred, HorizontalMode::Centre, VerticalMode::Fixed);
        AnchorControl(moved, HorizontalMode::Move, VerticalMode::Move);
        AnchorControl(clipped, HorizontalMode::Fixed, VerticalMode::Fixed, true);
    }
    QLabel* centred;
    QLabel* moved;
    QLabel* clipped;
};

TEST(CResizeDlg, ResizingMovesAnchoredChildren) {
    TestDialog dlg;
    dlg.show();
    dlg.resize(300, 150);
    EXPECT_EQ(dlg.centred->geometry(), QRect(75, 20, 60, 10));
    EXPECT_EQ(dlg.moved->geometry(), QRect(250, 130, 40, 12));
    // The grip sits in the corner.
    ASSERT_NE(dlg.SizeGrip(), nullptr);
    EXPECT_EQ(dlg.SizeGrip()->geometry().bottomRight(), dlg.rect().bottomRight());
    EXPECT_TRUE(dlg.SizeGrip()->isVisible());
    // The grip is the triangle below its diagonal.
    const QRegion shape = dlg.SizeGrip()->mask();
    const int extent = dlg.SizeGrip()->width();
    EXPECT_TRUE(shape.contains(QPoint(extent - 2, extent - 2)));
    EXPECT_FALSE(shape.contains(QPoint(1, 1)));
}

TEST(CResizeDlg, AnchoringTheSameControlAgainReplacesItsEntry) {
    TestDialog dlg;
    dlg.AnchorControl(dlg.centred, HorizontalMode::Stretch, VerticalMode::Fixed);
    EXPECT_EQ(dlg.Anchors().size(), 3u);
    dlg.show();
    dlg.resize(250, 100);
    EXPECT_EQ(dlg.centred->geometry(), QRect(40, 20, 110, 10));
}

TEST(CResizeDlg, ClipOnEraseLeavesTheChildOutOfTheBackground) {
    TestDialog dlg;
    dlg.show();
    const QRegion region = dlg.EraseRegion();
    EXPECT_FALSE(region.contains(QPoint(15, 15)));
    EXPECT_TRUE(region.contains(QPoint(60, 25)));  // not clip-on-erase
}

TEST(CResizeDlg, MaximisedDialogShowsNoGrip) {
    TestDialog dlg;
    dlg.show();
    dlg.showMaximized();
    EXPECT_FALSE(dlg.SizeGrip()->isVisible());
    dlg.showNormal();
    EXPECT_TRUE(dlg.SizeGrip()->isVisible());
    EXPECT_EQ(dlg.SizeGrip()->geometry().bottomRight(), dlg.rect().bottomRight());
}

}  // namespace
}  // namespace tonquill
