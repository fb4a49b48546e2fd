#include <gtest/gtest.h>
#include <QTest>

#include "ui/ColumnSortInfo.h"
#include "ui/ReportTestList.h"

namespace tonquill {
namespace {

using test::FakeEntry;
using test::FileListFixture;

constexpr int kName = 0;
constexpr int kArtist = 4;
constexpr int kTrack = 7;
constexpr int kSize = 12;

void ClickHeader(CReportCtrl& list, int column) {
    QHeaderView* header = list.header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
}

TEST(ReportSortTest, HeaderClicksBuildTheKeySequenceAndSortInThePrimaryDirection) {
    FileListFixture f;
    f.AddRow("b.mp3", "y");
    f.AddRow("a.mp3", "x");
    f.AddRow("c.mp3", "w");
    f.AddRow("b.mp3", "z");

    struct Step {
        int column;
        std::vector<ColumnSortInfo> keys;
    };
    const Step steps[] = {
        {kName, {{kName, 1}}},
        {kName, {{kName, 0}}},
        {kArtist, {{kArtist, 1}, {kName, 0}}},
        {kName, {{kName, 0}, {kArtist, 1}}},
    };
    for (const Step& step : steps) {
        ClickHeader(f.list, step.column);
        EXPECT_EQ(f.list.sortKeys, step.keys) << "after clicking column " << step.column;
    }
    // Name descending; the Artist tie-break follows Name's direction, not its own.
    EXPECT_EQ(f.Column(kName), QStringList({"c.mp3", "b.mp3", "b.mp3", "a.mp3"}));
    EXPECT_EQ(f.Column(kArtist), QStringList({"w", "z", "y", "x"}));
}

TEST(ReportSortTest, SeventhKeyDropsTheOldest) {
    std::vector<ColumnSortInfo> keys;
    for (int column = 1; column <= 7; ++column) {
        PromoteSortKey(keys, column);
    }
    const std::vector<ColumnSortInfo> expected = {{7, 1}, {6, 1}, {5, 1}, {4, 1}, {3, 1}, {2, 1}};
    EXPECT_EQ(keys, expected);
}

struct OrderCase {
    const char* fault;
    int column;
    std::vector<std::pair<QString, FakeEntry>> rows;
    QStringList expectedNames;
};

TEST(ReportSortTest, TypedColumnsCompareByNumberAndOthersByBytes) {
    const OrderCase cases[] = {
        {"track compares number, then total; 10 after 9",
         kTrack,
         {{"t10", {0, 10, 0}}, {"t9of12", {0, 9, 12}}, {"t9of3", {0, 9, 3}}, {"t1", {0, 1, 0}}},
         {"t1", "t9of3", "t9of12", "t10"}},
        {"names compare as text, so 10.mp3 comes before 9.mp3",
         kName,
         {{"9.mp3", {}}, {"10.mp3", {}}, {"a.mp3", {}}, {"B.mp3", {}}},
         {"10.mp3", "9.mp3", "B.mp3", "a.mp3"}},
        {"non-ASCII bytes sort after ASCII as unsigned values",
         kName,
         {{QString::fromUtf8("\xC3\xA9t\xC3\xA9.mp3"), {}}, {"zoo.mp3", {}}},
         {"zoo.mp3", QString::fromUtf8("\xC3\xA9t\xC3\xA9.mp3")}},
        {"size compares as a number, not as its text",
         kSize,
         {{"big", {0, 0, 0, 10.25}}, {"mid", {0, 0, 0, 2.5}}, {"small", {0, 0, 0, 0.5}}},
         {"small", "mid", "big"}},
    };
    for (const OrderCase& c : cases) {
        FileListFixture f;
        for (const auto& [name, entry] : c.rows) {
            const int row = f.AddRow(name, {}, entry);
            f.list.SetItemText(row, kSize, QString::number(entry.sizeMegabytes, 'f', 2));
        }
        f.list.sortKeys = {{c.column, 1}};
        f.list.SortRows(0, f.list.GetItemCount() - 1, true);
        EXPECT_EQ(f.Column(kName), c.expectedNames) << c.fault;
    }
}

TEST(ReportSortTest, RowsKeepTheirSelectionFocusAndRecordsWhenSorted) {
    FileListFixture f;
    f.AddRow("c.mp3");
    f.AddRow("a.mp3");
    f.AddRow("b.mp3");
    void* recordOfC = f.list.GetItemData(0);
    f.list.ApplyRowStates(0, ROW_SELECTED | ROW_FOCUSED);

    f.list.sortKeys = {{kName, 1}};
    f.list.SortRows(0, 2, false);

    EXPECT_EQ(f.Column(kName), QStringList({"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_EQ(f.list.GetItemData(2), recordOfC);
    EXPECT_EQ(f.list.ReadRowStates(2), unsigned{ROW_SELECTED | ROW_FOCUSED | ROW_UNCHECKED});
    EXPECT_EQ(f.list.FindNextRow(ROW_SELECTED, -1), 2);
    EXPECT_EQ(g_listBusy.load(), 0);
}

TEST(ReportSortTest, SortedNoticeIsPostedEvenForAnEmptyList) {
    FileListFixture f;
    ClickHeader(f.list, kArtist);
    EXPECT_EQ(f.list.sortKeys, (std::vector<ColumnSortInfo>{{kArtist, 1}}));
    // Posted, not sent: the owner sees it only once the sort has finished.
    EXPECT_TRUE(f.recorder.sorted.empty());
    QCoreApplication::sendPostedEvents(&f.recorder);
    ASSERT_EQ(f.recorder.sorted.size(), 1u);
    EXPECT_EQ(f.recorder.sorted[0].column, kArtist);
    EXPECT_TRUE(f.recorder.sorted[0].ascending);
}

TEST(ReportSortTest, SortRangeOutsideTheRowsReordersNothing) {
    FileListFixture f;
    f.AddRow("b.mp3");
    f.AddRow("a.mp3");
    f.list.sortKeys = {{kName, 1}};
    for (const auto& [first, last] : {std::pair{-1, 1}, {0, 2}, {1, 0}, {1, 1}}) {
        f.list.SortRows(first, last, false);
        EXPECT_EQ(f.Column(kName), QStringList({"b.mp3", "a.mp3"})) << first << ".." << last;
    }
}

TEST(ReportSortTest, StoredKeysReadBackAndSurviveOddBytes) {
    const std::vector<ColumnSortInfo> keys = {{4, 1}, {0, 0}};
    EXPECT_EQ(SortKeysFromBytes(SortKeysToBytes(keys)), keys);
    QByteArray stored = SortKeysToBytes(keys);
    EXPECT_EQ(stored.size(), 16);
    EXPECT_EQ(stored.left(8), QByteArray("\x04\0\0\0\x01\0\0\0", 8));
    // A torn tail is ignored, a direction other than 0 reads as ascending, and no more than
    // six keys are taken.
    QByteArray odd = SortKeysToBytes({{2, 7}}) + QByteArray("\x01\x02\x03", 3);
    EXPECT_EQ(SortKeysFromBytes(odd), (std::vector<ColumnSortInfo>{{2, 1}}));
    EXPECT_EQ(SortKeysFromBytes(QByteArray(8 * 9, '\0')).size(), 6u);
}

TEST(ReportSortTest, KeyOnAColumnThatDoesNotExistSortsWithoutHarm) {
    FileListFixture f;
    f.AddRow("b.mp3");
    f.AddRow("a.mp3");
    f.list.sortKeys = {{1000, 1}, {kName, 1}};
    f.list.SortRows(0, 1, true);
    EXPECT_EQ(f.Column(kName), QStringList({"a.mp3", "b.mp3"}));
}

}  // namespace
}  // namespace tonquill
