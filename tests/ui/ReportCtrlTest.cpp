#include <gtest/gtest.h>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QScrollBar>
#include <QTest>
#include <algorithm>

#include "ui/ReportColumnLayout.h"
#include "ui/ReportListModel.h"
#include "ui/ReportTestList.h"

namespace tonquill {
namespace {

using test::FakeEntry;
using test::FileListFixture;

constexpr int kArtist = 4;
constexpr int kAlbum = 6;

TEST(ReportCtrlTest, HiddenColumnGoesFirstWithNoWidthAndComesBackLastWithItsWidth) {
    FileListFixture f;
    QHeaderView* header = f.list.header();
    ASSERT_EQ(f.list.ColumnCount(), 18);

    f.list.ShowColumn(kArtist, false);
    EXPECT_FALSE(f.list.IsColumnShown(kArtist));
    EXPECT_EQ(header->visualIndex(kArtist), 0);
    EXPECT_EQ(header->visualIndex(0), 1);  // the columns left of it move one place right
    EXPECT_EQ(f.list.GetColumnWidth(kArtist), 0);
    EXPECT_FALSE(f.list.SetColumnWidth(kArtist, 300));
    EXPECT_EQ(f.list.GetColumnInfo(kArtist).savedWidth, 110);
    // Hiding it again must not forget the width it had.
    f.list.ShowColumn(kArtist, false);
    EXPECT_EQ(f.list.GetColumnInfo(kArtist).savedWidth, 110);

    f.list.ShowColumn(kAlbum, false);
    EXPECT_EQ(header->visualIndex(kAlbum), 0);
    EXPECT_EQ(header->visualIndex(kArtist), 1);

    f.list.ShowColumn(kArtist, true);
    EXPECT_TRUE(f.list.IsColumnShown(kArtist));
    EXPECT_EQ(header->visualIndex(kArtist), 17);
    EXPECT_EQ(f.list.GetColumnWidth(kArtist), 110);
    EXPECT_TRUE(f.list.SetColumnWidth(kArtist, 120));
    EXPECT_EQ(f.list.GetColumnWidth(kArtist), 120);
}

TEST(ReportCtrlTest, ColumnDroppedAmongHiddenColumnsLandsPastThem) {
    FileListFixture f;
    QHeaderView* header = f.list.header();
    header->setSectionsMovable(true);
    f.list.ShowColumn(kArtist, false);
    f.list.ShowColumn(kAlbum, false);
    header->moveSection(header->visualIndex(8), 0);  // as a header drag would
    EXPECT_EQ(header->visualIndex(8), 2);
    EXPECT_LT(header->visualIndex(kAlbum), 2);
    EXPECT_LT(header->visualIndex(kArtist), 2);
}

TEST(ReportCtrlTest, StoredColumnLayoutHoldsTheWidthBeforeHiding) {
    FileListFixture f;
    f.list.SetColumnWidth(0, 200);
    f.list.ShowColumn(kArtist, false);
    const std::vector<ColumnLayoutRecord> layout =
        ReportColumnLayout::FromBytes(f.list.ColumnLayoutBytes()).Records();
    ASSERT_EQ(layout.size(), 18u);
    EXPECT_EQ(layout[0], (ColumnLayoutRecord{1, 200}));
    EXPECT_EQ(layout[kArtist], (ColumnLayoutRecord{0, 110}));
    EXPECT_EQ(ReportColumnLayout(layout).ToBytes(), f.list.ColumnLayoutBytes());

    // A fresh list restored from the stored bytes comes back the same; odd widths from a
    // damaged profile stay within what a column can hold.
    FileListFixture restored;
    restored.list.RestoreColumnLayout(f.list.ColumnLayoutBytes());
    EXPECT_EQ(restored.list.ColumnLayoutBytes(), f.list.ColumnLayoutBytes());
    EXPECT_EQ(restored.list.header()->visualIndex(kArtist), 0);
    FileListFixture damaged;
    damaged.list.RestoreColumnLayout(
        ReportColumnLayout({{1, -5}, {1, 2000000000}, {0, 70}, {1, 1}, {1, 1}, {1, 1}, {1, 1},
                            {1, 1},  {1, 1},          {1, 1},  {1, 1}, {1, 1}, {1, 1}, {1, 1},
                            {1, 1},  {1, 1},          {1, 1},  {1, 1}, {0, 9}, {0, 9}})
            .ToBytes());
    EXPECT_EQ(damaged.list.GetColumnWidth(0), 0);
    EXPECT_EQ(damaged.list.GetColumnWidth(1), 0xFFFF);
    EXPECT_FALSE(damaged.list.IsColumnShown(2));
    EXPECT_EQ(damaged.list.GetColumnInfo(2).savedWidth, 70);
    EXPECT_EQ(ReportColumnLayout::FromBytes(QByteArray("\x01\0\0\0\x20\0\0\0\x05", 9)).Records(),
              (std::vector<ColumnLayoutRecord>{{1, 32}}));
}

TEST(ReportCtrlTest, ColumnMenuGreysNameAndPathAndSeparatesTheGroups) {
    FileListFixture f;
    f.list.ShowColumn(kArtist, false);
    std::unique_ptr<QMenu> menu(f.list.BuildColumnMenu(nullptr));
    QStringList items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            items << "-";
            continue;
        }
        items << action->text();
        const int column = action->data().toInt();
        EXPECT_EQ(action->isChecked(), column != kArtist) << column;
        EXPECT_EQ(action->isEnabled(), column >= 2) << column;
    }
    EXPECT_EQ(items,
              QStringList({"Name",          "Path",         "Type",      "-",       "Tag",
                           "Artist",        "Album Artist", "Album",     "Track",   "Title",
                           "Genre",         "Date",         "Comment",   "-",       "Size(MB)",
                           "Last Modified", "Duration",     "Frequency", "Channel", "Bitrate"}));
}

TEST(ReportCtrlTest, MoveRowClampsItsTargetAndKeepsTheRowState) {
    struct Case {
        int row;
        int to;
        int returned;
        QStringList order;
    };
    const Case cases[] = {
        {1, -1, 0, {"b", "a", "c", "d"}},  {1, 2147483647, 3, {"a", "c", "d", "b"}},
        {2, 1, 1, {"a", "c", "b", "d"}},   {1, 2, 2, {"a", "c", "b", "d"}},
        {1, 1, 1, {"a", "b", "c", "d"}},   {4, 0, -1, {"a", "b", "c", "d"}},
        {-1, 0, -1, {"a", "b", "c", "d"}},
    };
    for (const Case& c : cases) {
        FileListFixture f;
        for (const char* name : {"a", "b", "c", "d"}) {
            f.AddRow(name);
        }
        f.list.ApplyRowStates(1, ROW_SELECTED);
        EXPECT_EQ(f.list.MoveRow(c.row, c.to), c.returned) << c.row << " to " << c.to;
        EXPECT_EQ(f.Column(0), c.order) << c.row << " to " << c.to;
        EXPECT_EQ(f.list.GetItemText(f.list.FindNextRow(ROW_SELECTED, -1), 0), "b");
    }
}

TEST(ReportCtrlTest, SelectorsMatchRowsByEveryFlagTheyName) {
    struct Case {
        unsigned state;
        unsigned selector;
        bool matches;
    };
    const unsigned selectedFocused = ROW_SELECTED | ROW_FOCUSED | ROW_UNCHECKED;
    const unsigned plain = ROW_UNSELECTED | ROW_UNFOCUSED | ROW_UNCHECKED;
    const Case cases[] = {
        {plain, ROW_ALL, true},
        {plain, 0, false},
        {selectedFocused, ROW_SELECTED, true},
        {selectedFocused, ROW_SELECTED | ROW_FOCUSED, true},
        {ROW_SELECTED | ROW_UNFOCUSED, ROW_SELECTED | ROW_FOCUSED, false},
        {plain, ROW_SELECTED | ROW_ALL, true},
        {selectedFocused, ROW_CHECKED, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RowMatches(c.state, c.selector), c.matches) << c.state << " " << c.selector;
    }

    FileListFixture f;
    for (int i = 0; i < 6; ++i) {
        f.AddRow(QString::number(i));
    }
    EXPECT_EQ(f.list.ApplyStatesToRows(ROW_ALL, ROW_SELECTED), 6);
    f.list.ApplyRowStates(1, ROW_UNSELECTED);
    f.list.ApplyRowStates(4, ROW_UNSELECTED | ROW_FOCUSED);
    EXPECT_EQ(f.list.CountRows(ROW_SELECTED), 4);
    EXPECT_EQ(f.list.FindNextRow(ROW_SELECTED, 0), 2);
    EXPECT_EQ(f.list.FindNextRow(ROW_SELECTED, -7), 0);
    EXPECT_EQ(f.list.FindNextRow(ROW_UNSELECTED | ROW_FOCUSED, -1), 4);
    EXPECT_EQ(f.list.FindNextRow(ROW_SELECTED, 5), -1);
    EXPECT_FALSE(f.list.ApplyRowStates(0, ROW_CHECKED));  // the list has no check boxes
    f.list.InvertSelection();
    EXPECT_EQ(f.list.FindNextRow(ROW_SELECTED, -1), 1);
    EXPECT_EQ(f.list.FindNextRow(ROW_SELECTED, 1), 4);
    EXPECT_EQ(f.list.CountRows(ROW_SELECTED), 2);
}

TEST(ReportCtrlTest, DeletingScatteredRowsKeepsTheSurvivorsStates) {
    FileListFixture f;
    for (int i = 0; i < 300; ++i) {
        f.AddRow(QString::number(i));
    }
    for (int row = 0; row < 300; row += 2) {
        f.list.ApplyRowStates(row, ROW_SELECTED);
    }
    f.list.ApplyRowStates(7, ROW_FOCUSED);
    EXPECT_EQ(f.list.DeleteItems(ROW_UNSELECTED | ROW_UNFOCUSED), 149);
    ASSERT_EQ(f.list.GetItemCount(), 151);
    EXPECT_EQ(f.list.CountRows(ROW_SELECTED), 150);
    const int focused = f.list.FindNextRow(ROW_FOCUSED, -1);
    EXPECT_EQ(f.list.GetItemText(focused, 0), "7");
    EXPECT_EQ(f.list.DeleteItems(ROW_ALL), 151);
    EXPECT_EQ(f.list.GetItemCount(), 0);
}

// Records the rows own are freed exactly once, whichever way their rows leave, and stay with
// their rows while the rows move.
TEST(ReportCtrlTest, ARowsOwnRecordGoesWithTheRowAndOnlyThen) {
    struct Record {
        explicit Record(std::vector<QString>& freed, QString name)
            : freed(freed), name(std::move(name)) {}
        ~Record() { freed.push_back(name); }
        std::vector<QString>& freed;
        QString name;
    };
    std::vector<QString> freed;
    auto freedSorted = [&] {
        std::vector<QString> sorted = freed;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    };
    {
        FileListFixture f;
        std::vector<ReportRowData> rows;
        for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
            ReportRowData row;
            row.cells.resize(static_cast<size_t>(f.list.ColumnCount()));
            row.cells[0].text = QString::fromLatin1(name);
            row.Own(std::make_unique<Record>(freed, QString::fromLatin1(name)));
            rows.push_back(std::move(row));
        }
        f.list.Model()->AppendRows(std::move(rows));
        auto nameOf = [&](int row) { return static_cast<Record*>(f.list.GetItemData(row))->name; };

        f.list.MoveRow(0, 3);  // b c d a e f
        EXPECT_EQ(nameOf(3), "a");
        EXPECT_TRUE(f.list.DeleteItem(0));                 // b
        EXPECT_EQ(f.list.DeleteRows({0, 1, 0, 0, 1}), 2);  // d and f
        f.list.SetItemData(0, nullptr);                    // c
        EXPECT_EQ(freedSorted(), (std::vector<QString>{"b", "c", "d", "f"}));
        EXPECT_EQ(nameOf(1), "a");
        EXPECT_EQ(nameOf(2), "e");
    }
    // The list's end frees the rest.
    EXPECT_EQ(freedSorted(), (std::vector<QString>{"a", "b", "c", "d", "e", "f"}));
}

TEST(ReportCtrlTest, CellColoursFollowTheRowColumnAndAllRules) {
    struct Case {
        const char* rule;
        int row;
        int column;
        std::vector<std::pair<int, int>> changed;  // every other cell keeps its colour
    };
    const Case cases[] = {
        {"row and column in range: that cell", 1, 2, {{1, 2}}},
        {"only the row in range: the whole row", 1, -1, {{1, 0}, {1, 1}, {1, 2}}},
        {"only the column in range: that column", 5, 1, {{0, 1}, {1, 1}}},
        {"neither: every cell", -1, 99, {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}}},
    };
    const QColor red(200, 0, 0);
    for (const Case& c : cases) {
        CReportCtrl list;
        for (int column = 0; column < 3; ++column) {
            list.InsertColumn(column, QString::number(column));
        }
        list.InsertItem(0, "a");
        list.InsertItem(1, "b");
        const QColor text = list.CellTextColour(0, 0);
        const QColor back = list.CellBackColour(0, 0);
        list.SetCellTextColour(c.row, c.column, red);
        list.SetCellBackColour(c.row, c.column, red);
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 3; ++column) {
                const bool changed = std::find(c.changed.begin(), c.changed.end(),
                                               std::pair{row, column}) != c.changed.end();
                EXPECT_EQ(list.CellTextColour(row, column), changed ? red : text)
                    << c.rule << " " << row << "," << column;
                EXPECT_EQ(list.CellBackColour(row, column), changed ? red : back)
                    << c.rule << " " << row << "," << column;
            }
        }
        list.SetCellTextColour(-1, -1, QColor());
        EXPECT_EQ(list.CellTextColour(1, 2), text) << "an invalid colour is the default";
    }
}

TEST(ReportCtrlTest, RecolourBandsRowsHighlightsTheSortColumnAndMarksUnreadablePink) {
    FileListFixture f;
    f.AddRow("even");
    f.AddRow("odd");
    f.AddRow("unreadable", {}, FakeEntry{1});
    f.AddRow("odd unreadable", {}, FakeEntry{1});
    f.list.sortKeys = {{kArtist, 1}};
    const QColor pink(255, 225, 241);
    struct Expect {
        int row;
        int column;
        bool highlight;
        QColor colour;
    };
    const Expect expects[] = {
        {0, 0, true, QColor(255, 255, 255)},
        {0, kArtist, true, QColor(247, 248, 253)},
        {1, 0, true, QColor(243, 245, 252)},
        {1, kArtist, true, QColor(235, 238, 250)},
        {1, kArtist, false, QColor(243, 245, 252)},
        {0, kArtist, false, QColor(255, 255, 255)},
        {2, 0, true, pink},
        {2, kArtist, true, pink},
        {3, kArtist, true, pink},
        {3, 5, false, pink},
    };
    for (const Expect& e : expects) {
        f.list.RecolourRows(e.highlight);
        EXPECT_EQ(f.list.CellBackColour(e.row, e.column), e.colour)
            << e.row << "," << e.column << " highlight " << e.highlight;
    }
}

TEST(ReportCtrlTest, SetItemNumberTrimsFreeDecimalsAndFixesGivenOnes) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {2.5, -1, "2.5"},     {5.0, -1, "5"}, {100.0, -1, "100"},  {0.0, -1, "0"},
        {3.14159, 2, "3.14"}, {7.0, 0, "7"},  {1.005, 3, "1.005"}, {-2.25, -1, "-2.25"},
    };
    FileListFixture f;
    f.AddRow("row");
    for (const auto& c : cases) {
        EXPECT_TRUE(f.list.SetItemNumber(0, 12, c.value, c.decimals));
        EXPECT_EQ(f.list.GetItemText(0, 12), c.text) << c.value << " " << c.decimals;
    }
    EXPECT_FALSE(f.list.SetItemNumber(5, 12, 1.0, 1));
}

int HintPixels(CReportCtrl& list) {
    const QImage image = list.viewport()->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == qRgb(106, 106, 255)) {
                ++count;
            }
        }
    }
    return count;
}

TEST(ReportCtrlTest, HintIsDrawnOnlyWhileTheListIsEmptyAndHintsAreOn) {
    FileListFixture f;
    EXPECT_EQ(HintPixels(f.list), 0) << "hints are off by default";
    f.list.ShowEmptyHints(true);
    EXPECT_GT(HintPixels(f.list), 0);
    f.AddRow("song.mp3");
    EXPECT_EQ(HintPixels(f.list), 0);
    f.list.DeleteItem(0);
    EXPECT_GT(HintPixels(f.list), 0) << "drawn again once the last row is gone";
}

TEST(ReportCtrlTest, EnsureColumnVisibleScrollsTheColumnIntoView) {
    FileListFixture f;
    f.AddRow("row");
    f.list.resize(300, 200);
    QCoreApplication::processEvents();
    QScrollBar* bar = f.list.horizontalScrollBar();
    f.list.EnsureColumnVisible(17, false);
    const int left = f.list.header()->sectionViewportPosition(17);
    const int right = left + f.list.GetColumnWidth(17);
    EXPECT_GT(bar->value(), 0);
    EXPECT_GE(left, 0);
    EXPECT_LE(right, f.list.viewport()->width());
    f.list.EnsureColumnVisible(0, false);
    EXPECT_EQ(f.list.header()->sectionViewportPosition(0), 0);
}

TEST(ReportCtrlTest, CtrlKeypadPlusSizesShownColumnsToTheirContent) {
    FileListFixture f;
    f.AddRow("a rather long file name for one narrow column.mp3");
    f.list.SetColumnWidth(0, 20);
    f.list.ShowColumn(kArtist, false);
    QTest::keyClick(&f.list, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_GT(f.list.GetColumnWidth(0), 200);
    EXPECT_EQ(f.list.GetColumnWidth(kArtist), 0) << "a hidden column stays without width";
    EXPECT_EQ(f.list.GetColumnInfo(kArtist).savedWidth, 110);
}

TEST(ReportCtrlTest, HeaderIconFallsBackToTheRowImages) {
    FileListFixture f;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    f.list.SetImageList({QIcon(), QIcon(pixmap), QIcon(pixmap)});
    f.list.SetHeaderIcon(kArtist, 1);
    f.list.SetHeaderIcon(0, 0);
    QAbstractItemModel* model = f.list.model();
    EXPECT_FALSE(
        model->headerData(kArtist, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(model->headerData(0, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().isNull());
}

}  // namespace
}  // namespace tonquill
