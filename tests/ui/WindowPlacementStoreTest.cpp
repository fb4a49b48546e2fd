#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <gtest/gtest.h>
#include <climits>
#include <cstdint>

#include "support/TestSupport.h"
#include "ui/WindowPlacementStore.h"

namespace tonquill {
namespace {

TEST(WindowPlacement, RecordIs44LittleEndianBytesAndRoundTrips) {
    WindowPlacement p;
    p.flags = 2;
    p.showCmd = 3;
    p.SetNormalRect(QRect(10, 20, 300, 200));
    const QByteArray bytes = p.ToBytes();
    ASSERT_EQ(bytes.size(), 44);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 44);   // length first
    EXPECT_EQ(static_cast<uint8_t>(bytes[8]), 3);    // show command
    EXPECT_EQ(static_cast<uint8_t>(bytes[36]), 54);  // right = 10 + 300 = 310 = 0x136
    EXPECT_EQ(static_cast<uint8_t>(bytes[37]), 1);
    EXPECT_EQ(WindowPlacement::FromBytes(bytes), p);
}

TEST(WindowPlacement, ValueOfAnotherLengthCountsAsMissing) {
    EXPECT_FALSE(WindowPlacement::FromBytes(QByteArray(40, '\0')));
    EXPECT_FALSE(WindowPlacement::FromBytes(QByteArray(48, '\0')));
}

TEST(WindowPlacementStore, RestoreModeAdjustsTheShowCommand) {
    struct Case {
        int restoreMode;
        uint32_t flags, showCmd, expected;
    } cases[] = {
        {0, 2, 2, 3},  // minimised after maximised comes back maximised
        {0, 0, 2, 1},  // minimised from normal comes back normal
        {0, 0, 3, 3}, {0, 0, 1, 1}, {1, 0, 2, 2}, {2, 0, 3, 1}, {3, 0, 1, 3}, {4, 0, 1, 2},
    };
    for (const Case& c : cases) {
        WindowPlacement p;
        p.flags = c.flags;
        p.showCmd = c.showCmd;
        EXPECT_EQ(WindowPlacementStore::AdjustShowCommand(p, c.restoreMode).showCmd, c.expected)
            << "mode " << c.restoreMode << " flags " << c.flags << " show " << c.showCmd;
    }
}

TEST(WindowPlacement, FitToKeepsTheNormalRectangleShowableOnTheDesktop) {
    const QRect desktop(0, 0, 1920, 1080);
    struct Case {
        const char* what;
        int32_t left, top, right, bottom;
        QRect expected;
    } cases[] = {
        {"a window on the desktop stays", 100, 80, 900, 680, QRect(100, 80, 800, 600)},
        {"one partly off the desktop stays", -50, 900, 750, 1500, QRect(-50, 900, 800, 600)},
        {"a huge one shrinks to the desktop", 25855, 20480, 230400, 174080,
         QRect(0, 0, 1920, 1080)},
        {"one off the desktop moves onto it", 5000, -3000, 5800, -2400, QRect(1120, 0, 800, 600)},
        {"the widest record that exists", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX,
         QRect(0, 0, 1920, 1080)},
        {"an inverted one is left for ApplyTo to ignore", 900, 680, 100, 80,
         QRect(900, 680, -800, -600)},
    };
    for (const Case& c : cases) {
        WindowPlacement p;
        p.left = c.left;
        p.top = c.top;
        p.right = c.right;
        p.bottom = c.bottom;
        p.FitTo(desktop);
        EXPECT_EQ(p.NormalRect(), c.expected) << c.what;
    }
}

TEST(WindowPlacement, NormalRectOfTheWidestRecordSaturates) {
    WindowPlacement p;
    p.left = INT32_MIN;
    p.right = INT32_MAX;
    p.top = INT32_MAX;
    p.bottom = INT32_MIN;
    EXPECT_EQ(p.NormalRect().width(), INT_MAX);
    EXPECT_EQ(p.NormalRect().height(), INT_MIN);
}

class PlacementProfile : public ::testing::Test {
protected:
    test::TempDir dir;
    QSettings profile{QString::fromStdString(dir / "profile.ini"), QSettings::IniFormat};
};

TEST_F(PlacementProfile, SaveThenRestoreGivesTheSameGeometry) {
    QWidget saved;
    saved.setGeometry(120, 80, 333, 222);
    ASSERT_TRUE(WindowPlacementStore::SavePlacement(saved, "{key}", profile));
    EXPECT_EQ(profile.value("Position/Default").toInt(), 0);

    QWidget restored;
    restored.setGeometry(0, 0, 100, 100);
    WindowPlacementStore store;
    ASSERT_TRUE(store.RestorePlacement(restored, "{key}", profile));
    EXPECT_EQ(restored.geometry(), QRect(120, 80, 333, 222));
    EXPECT_EQ(store.Placement().showCmd, WindowPlacement::ShowNormal);
}

TEST_F(PlacementProfile, MinimisedAfterMaximisedComesBackMaximised) {
    WindowPlacement p;
    p.showCmd = WindowPlacement::ShowMinimized;
    p.flags = WindowPlacement::RestoreToMaximized;
    p.SetNormalRect(QRect(50, 60, 300, 200));
    profile.setValue("Position/{key}", p.ToBytes());

    QWidget window;
    WindowPlacementStore store;
    ASSERT_TRUE(store.RestorePlacement(window, "{key}", profile));
    EXPECT_EQ(store.Placement().showCmd, WindowPlacement::ShowMaximized);
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
}

// A damaged record once asked the window for a 204 545 x 153 600 backing store (125 GB).
TEST_F(PlacementProfile, OversizedRecordRestoresWithinTheScreens) {
    const QByteArray record = QByteArray::fromHex(
        "2c000000025d00000002000000ffffffffffffffffff"
        "ffffffffffffff640000005000000084030000a80200");
    ASSERT_EQ(record.size(), 44);
    profile.setValue("Position/{huge}", record);
    QWidget window;
    WindowPlacementStore store;
    ASSERT_TRUE(store.RestorePlacement(window, "{huge}", profile));
    const QRect desktop = QGuiApplication::primaryScreen()->availableVirtualGeometry();
    EXPECT_LE(window.width(), desktop.width());
    EXPECT_LE(window.height(), desktop.height());
    EXPECT_TRUE(desktop.intersects(window.geometry()));
    EXPECT_EQ(store.Placement().NormalRect(), window.geometry());
}

TEST_F(PlacementProfile, MissingPlacementGivesTheCentredFallback) {
    QWidget window;
    window.setGeometry(5, 5, 300, 200);
    WindowPlacementStore store;
    EXPECT_FALSE(store.RestorePlacement(window, "{absent}", profile));
    EXPECT_EQ(window.geometry(), QRect(5, 5, 300, 200));  // not applied
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(store.Placement().NormalRect(),
              QRect((screen.width() - 300) / 2, (screen.height() - 200) / 2, 300, 200));

    profile.setValue("Position/{short}", QByteArray(12, '\1'));
    EXPECT_FALSE(store.RestorePlacement(window, "{short}", profile));
}

}  // namespace
}  // namespace tonquill
