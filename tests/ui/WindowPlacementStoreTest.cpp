#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <gtest/gtest.h>

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
