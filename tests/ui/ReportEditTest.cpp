#include <gtest/gtest.h>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include "ui/ReportEditKeys.h"
#include "ui/ReportEditableColumns.h"
#include "ui/ReportTestList.h"

namespace tonquill {
namespace {

using test::FileListFixture;

constexpr int kName = 0;
constexpr int kArtist = 4;

// A list of three rows with Name and Artist editable, as the owner would set it up.
struct EditFixture : FileListFixture {
    EditFixture() {
        AddRow("song.mp3", "first");
        AddRow("my.other.song.ogg", "second");
        AddRow("README", "third");
        list.EnableCellEditing(true);
        list.AllowColumnEditing(kName);
        list.AllowColumnEditing(kArtist);
        QCoreApplication::processEvents();
    }

    QPoint CellCentre(int row, int column) {
        return list.visualRect(list.model()->index(row, column)).center();
    }
};

TEST(ReportEditTest, KeysWhileEditing) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        EditKeyAction action;
        int row;  // where the editor is afterwards, from row 0 (or 2 with Down), column Name
        int column;
    };
    const Case cases[] = {
        {Qt::Key_Tab, Qt::NoModifier, EditKeyAction::NextColumn, 0, kArtist},
        {Qt::Key_Backtab, Qt::ShiftModifier, EditKeyAction::PreviousColumn, 0, kArtist},
        {Qt::Key_Return, Qt::NoModifier, EditKeyAction::Commit, -1, -1},
        {Qt::Key_Enter, Qt::KeypadModifier, EditKeyAction::Commit, -1, -1},
        {Qt::Key_Escape, Qt::NoModifier, EditKeyAction::Discard, -1, -1},
        {Qt::Key_Up, Qt::NoModifier, EditKeyAction::RowUp, 2, kName},      // wraps to the end
        {Qt::Key_Down, Qt::NoModifier, EditKeyAction::RowDown, 0, kName},  // wraps to the top
        {Qt::Key_A, Qt::NoModifier, EditKeyAction::None, 0, kName},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditKeyActionFor(c.key, c.modifiers), c.action) << c.key;
        EditFixture f;
        const int startRow = c.key == Qt::Key_Down ? 2 : 0;
        ASSERT_TRUE(f.list.BeginCellEdit(startRow, kName));
        QTest::keyClick(f.list.Editor(), static_cast<Qt::Key>(c.key), c.modifiers);
        EXPECT_EQ(f.list.EditRow(), c.row) << c.key;
        EXPECT_EQ(f.list.EditColumn(), c.column) << c.key;
        EXPECT_EQ(f.list.HasOpenEditor(), c.row >= 0) << c.key;
        if (c.row >= 0) {
            EXPECT_EQ(f.list.ReadRowStates(c.row) & (ROW_SELECTED | ROW_FOCUSED),
                      unsigned{ROW_SELECTED | ROW_FOCUSED});
            EXPECT_EQ(f.list.CountRows(ROW_SELECTED), 1);
        }
    }
}

// Tab walks the editable columns in the order the owner allowed them, not the columns' order.
TEST(ReportEditTest, TabWalksTheColumnsInTheOrderTheyWereAllowed) {
    ReportEditableColumns editable;
    EXPECT_TRUE(editable.Allow(kArtist));
    EXPECT_TRUE(editable.Allow(kName));
    EXPECT_TRUE(editable.Allow(8));
    EXPECT_FALSE(editable.Allow(kName));  // a second allowing does not add it twice
    struct Case {
        int from;
        int next;
        int previous;
    };
    const Case cases[] = {
        {kArtist, kName, 8},
        {kName, 8, kArtist},
        {8, kArtist, kName},  // round from the end
        {5, kArtist, 8},      // a column outside the walk goes to its first, or its last
    };
    for (const Case& c : cases) {
        EXPECT_EQ(editable.Next(c.from), c.next) << c.from;
        EXPECT_EQ(editable.Previous(c.from), c.previous) << c.from;
    }
}

TEST(ReportEditTest, UpAndDownWrapRoundTheRowsLeft) {
    struct Case {
        EditKeyAction action;
        int row;
        int rowCount;
        int next;
    };
    const Case cases[] = {
        {EditKeyAction::RowUp, 1, 3, 0},
        {EditKeyAction::RowUp, 0, 3, 2},
        {EditKeyAction::RowDown, 1, 3, 2},
        {EditKeyAction::RowDown, 2, 3, 0},
        {EditKeyAction::RowDown, 0, 1, 0},
        // The owner removed rows while it handled the commit: the edited row counts as the last.
        {EditKeyAction::RowUp, 5, 3, 1},
        {EditKeyAction::RowDown, 5, 3, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditRowAfter(c.action, c.row, c.rowCount), c.next)
            << c.row << " of " << c.rowCount;
    }
}

TEST(ReportEditTest, NameIsPreselectedUpToItsLastDot) {
    const struct {
        int row;
        const char* selected;
    } cases[] = {{0, "song"}, {1, "my.other.song"}, {2, "README"}};
    EditFixture f;
    for (const auto& c : cases) {
        ASSERT_TRUE(f.list.BeginCellEdit(c.row, kName));
        EXPECT_EQ(f.list.Editor()->selectedText(), c.selected);
        EXPECT_EQ(f.list.Editor()->text(), f.list.GetItemText(c.row, kName));
        EXPECT_EQ(f.list.editStartText, f.list.GetItemText(c.row, kName));
    }
}

TEST(ReportEditTest, OnlyAChangedCommittedTextReachesTheCellAndTheOwner) {
    struct Case {
        const char* fault;
        const char* typed;  // replaces the preselected part
        int key;
        QString cellAfter;
        bool notified;
    };
    const Case cases[] = {
        {"Esc after typing must leave the cell alone", "tune", Qt::Key_Escape, "song.mp3", false},
        {"Enter with the text unchanged must send nothing", "song", Qt::Key_Return, "song.mp3",
         false},
        {"Enter with a new name writes it and tells the owner", "tune", Qt::Key_Return, "tune.mp3",
         true},
        {"Tab commits too", "tune", Qt::Key_Tab, "tune.mp3", true},
    };
    for (const Case& c : cases) {
        EditFixture f;
        ASSERT_TRUE(f.list.BeginCellEdit(0, kName));
        QTest::keyClicks(f.list.Editor(), c.typed);
        QTest::keyClick(f.list.Editor(), static_cast<Qt::Key>(c.key));
        EXPECT_EQ(f.list.GetItemText(0, kName), c.cellAfter) << c.fault;
        ASSERT_EQ(f.recorder.edited.size(), c.notified ? 1u : 0u) << c.fault;
        if (c.notified) {
            EXPECT_EQ(f.recorder.edited[0].row, 0);
            EXPECT_EQ(f.recorder.edited[0].column, kName);
            EXPECT_EQ(f.recorder.edited[0].cellText, c.cellAfter) << "written before the notice";
            EXPECT_EQ(f.list.editStartText, "song.mp3");
        }
    }
}

TEST(ReportEditTest, OwnerCanPutTheOldNameBackWhileHandlingTheNotice) {
    EditFixture f;
    f.recorder.onEdited = [&f](const ReportCellEditedEvent& e) {
        e.list->SetItemText(e.row, e.column, e.list->editStartText);  // a failed rename
    };
    ASSERT_TRUE(f.list.BeginCellEdit(0, kName));
    QTest::keyClicks(f.list.Editor(), "tune");
    QTest::keyClick(f.list.Editor(), Qt::Key_Return);
    EXPECT_EQ(f.list.GetItemText(0, kName), "song.mp3");
    EXPECT_EQ(f.recorder.edited.size(), 1u);
    EXPECT_FALSE(f.list.HasOpenEditor());
}

TEST(ReportEditTest, SecondClickOnTheSelectedRowsEditableCellOpensTheEditor) {
    EditFixture f;
    QWidget* viewport = f.list.viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, f.CellCentre(1, kName));
    EXPECT_FALSE(f.list.HasOpenEditor()) << "the first click only selects";
    EXPECT_EQ(f.list.FindNextRow(ROW_SELECTED, -1), 1);

    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, f.CellCentre(1, 2));
    EXPECT_FALSE(f.list.HasOpenEditor()) << "Type is not editable";

    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, f.CellCentre(1, kName));
    EXPECT_EQ(f.list.EditRow(), 1);
    EXPECT_EQ(f.list.EditColumn(), kName);

    // A click elsewhere commits the open edit and does not open a new one.
    QTest::keyClicks(f.list.Editor(), "renamed");
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, f.CellCentre(1, kArtist));
    EXPECT_FALSE(f.list.HasOpenEditor());
    EXPECT_EQ(f.list.GetItemText(1, kName), "renamed.ogg");
}

TEST(ReportEditTest, EditingIsOffUntilTheOwnerEnablesIt) {
    EditFixture f;
    f.list.EnableCellEditing(false);
    QWidget* viewport = f.list.viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, f.CellCentre(0, kName));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, f.CellCentre(0, kName));
    EXPECT_FALSE(f.list.HasOpenEditor());
}

TEST(ReportEditTest, ScrollingDiscardsTheTypedText) {
    EditFixture f;
    for (int i = 0; i < 100; ++i) {
        f.AddRow(QString("filler%1.mp3").arg(i));
    }
    QCoreApplication::processEvents();
    ASSERT_TRUE(f.list.BeginCellEdit(0, kName));
    QTest::keyClicks(f.list.Editor(), "tune");
    f.list.verticalScrollBar()->setValue(f.list.verticalScrollBar()->value() + 3);
    EXPECT_FALSE(f.list.HasOpenEditor());
    EXPECT_EQ(f.list.GetItemText(0, kName), "song.mp3");
    EXPECT_TRUE(f.recorder.edited.empty());
}

TEST(ReportEditTest, RowOperationsCommitAndOutOfRangeCellsAreRefused) {
    EditFixture f;
    EXPECT_FALSE(f.list.BeginCellEdit(3, kName));
    EXPECT_FALSE(f.list.BeginCellEdit(0, 18));
    EXPECT_FALSE(f.list.AllowColumnEditing(18));
    EXPECT_FALSE(f.list.AllowColumnEditing(kName)) << "already allowed";

    ASSERT_TRUE(f.list.BeginCellEdit(1, kArtist));
    EXPECT_TRUE(f.list.BeginCellEdit(1, kArtist)) << "the cell being edited";
    QTest::keyClicks(f.list.Editor(), "new artist");
    f.list.MoveRow(1, 0);
    EXPECT_FALSE(f.list.HasOpenEditor());
    EXPECT_EQ(f.list.GetItemText(0, kArtist), "new artist");
    EXPECT_EQ(f.recorder.edited.size(), 1u);

    // Deleting the edited row drops its edit instead of writing into another row.
    ASSERT_TRUE(f.list.BeginCellEdit(2, kName));
    QTest::keyClicks(f.list.Editor(), "gone");
    f.list.DeleteItem(2);
    EXPECT_FALSE(f.list.HasOpenEditor());
    EXPECT_EQ(f.recorder.edited.size(), 1u);
}

TEST(ReportEditTest, SpaceIsSwallowedWhileNoEditIsOpen) {
    EditFixture f;
    f.list.setFocus();
    f.list.ApplyRowStates(1, ROW_FOCUSED);
    QTest::keyClick(&f.list, Qt::Key_Space);
    EXPECT_EQ(f.list.CountRows(ROW_SELECTED), 0);
}

}  // namespace
}  // namespace tonquill
