#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "ui/SSplitter.h"

namespace tonquill {
namespace {

// The profile goes to a temporary folder for each test.
class SplitterTest : public ::testing::Test {
protected:
    SplitterTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(dir.path().string()));
        QSettings::setDefaultFormat(QSettings::NativeFormat);
    }

    CSSplitter* Make(int width = 600) {
        dialog.resize(width + 20, 400);
        editor = new QLineEdit(&dialog);
        editor->setGeometry(0, 380, 100, 20);
        splitter = new CSSplitter;
        left = new QWidget;
        right = new QWidget;
        splitter->CreatePanes(&dialog, left, right, 103, QRect(10, 10, width, 300), 100, 150);
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        return splitter;
    }

    void Drag(int fromX, int toX) {
        QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(fromX, 50));
        QTest::mouseMove(splitter, QPoint(toX, 50));
        QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(toX, 50));
    }

    test::TempDir dir;
    QWidget dialog;
    QLineEdit* editor = nullptr;
    CSSplitter* splitter = nullptr;
    QWidget* left = nullptr;
    QWidget* right = nullptr;
};

TEST_F(SplitterTest, StartsAtTwiceTheMinimumLeftWidth) {
    Make();
    EXPECT_EQ(splitter->ProfileSection(), "splt/init_v103");
    EXPECT_EQ(left->geometry(), QRect(0, 0, 200, 300));
    EXPECT_EQ(right->geometry().left(), 203);
    EXPECT_EQ(right->geometry().right(), 599);
}

TEST_F(SplitterTest, DragStopsAtTheMinimumWidths) {
    Make();
    Drag(201, 5);
    EXPECT_EQ(left->width(), 100 - 1);  // bar centre at 100
    Drag(100, 595);
    EXPECT_EQ(left->width(), 600 - 150 - 1);  // bar centre 150 before the right edge
    EXPECT_EQ(splitter->LeftWidth(), 449);
}

TEST_F(SplitterTest, EscDuringADragLeavesThePanesAndGivesTheFocusBack) {
    Make();
    editor->setFocus();
    ASSERT_TRUE(editor->hasFocus());
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(201, 50));
    QTest::mouseMove(splitter, QPoint(300, 50));
    EXPECT_TRUE(splitter->Dragging());
    EXPECT_EQ(splitter->OutlineRect().center().x(), 300);
    QTest::keyClick(splitter, Qt::Key_Escape);
    EXPECT_FALSE(splitter->Dragging());
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(300, 50));
    EXPECT_EQ(left->width(), 200);
    EXPECT_TRUE(editor->hasFocus());
}

TEST_F(SplitterTest, ResizeKeepsTheLeftWidth) {
    Make();
    Drag(201, 251);
    ASSERT_EQ(left->width(), 250);
    splitter->resize(800, 300);
    EXPECT_EQ(left->width(), 250);
    EXPECT_EQ(right->geometry().right(), 799);
}

TEST_F(SplitterTest, HidingAndShowingTheLeftPaneRestoresItsWidth) {
    Make();
    Drag(201, 281);
    ASSERT_EQ(left->width(), 280);
    splitter->HideLeftPane();
    EXPECT_FALSE(splitter->IsLeftPaneShown());
    EXPECT_FALSE(left->isVisible());
    EXPECT_EQ(right->geometry(), QRect(0, 0, 600, 300));
    // No drag while the left pane is hidden.
    Drag(281, 400);
    EXPECT_EQ(right->geometry(), QRect(0, 0, 600, 300));
    splitter->ShowLeftPane();
    EXPECT_TRUE(left->isVisible());
    EXPECT_EQ(left->width(), 280);
    EXPECT_EQ(right->geometry().left(), 283);
}

TEST_F(SplitterTest, SplitPositionIsRememberedInTheProfile) {
    Make();
    Drag(201, 321);
    delete splitter;
    QSettings profile(QStringLiteral("Veltrane Corporation"), QStringLiteral("Tonquill"));
    EXPECT_EQ(profile.value("splt/init_v103/VertSplitPos").toInt(), 320);

    auto* again = new CSSplitter;
    auto* l = new QWidget;
    auto* r = new QWidget;
    again->CreatePanes(&dialog, l, r, 103, QRect(10, 10, 600, 300), 100, 150);
    EXPECT_EQ(l->width(), 320);
}

}  // namespace
}  // namespace tonquill
