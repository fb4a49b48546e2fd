#include <gtest/gtest.h>
#include <QByteArray>
#include <vector>

#include "ui/ReportColumnLayout.h"

namespace tonquill {
namespace {

// People's profiles hold these bytes: each case pins its records to their exact stored form,
// read and written.
TEST(ReportColumnLayoutTest, RecordsAndStoredBytesConvertBothWays) {
    struct Case {
        const char* what;
        std::vector<ColumnLayoutRecord> records;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"no columns", {}, QByteArray()},
        {"a shown column", {{1, 150}}, QByteArray("\x01\0\0\0\x96\0\0\0", 8)},
        {"a hidden column with its width", {{0, 110}}, QByteArray("\0\0\0\0\x6e\0\0\0", 8)},
        {"a width past 16 bits, low byte first",
         {{1, 0x12345}},
         QByteArray("\x01\0\0\0\x45\x23\x01\0", 8)},
        {"a negative width", {{1, -5}}, QByteArray("\x01\0\0\0\xfb\xff\xff\xff", 8)},
        {"columns in column order",
         {{1, 150}, {0, 65}},
         QByteArray("\x01\0\0\0\x96\0\0\0\0\0\0\0\x41\0\0\0", 16)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReportColumnLayout(c.records).ToBytes(), c.bytes) << c.what;
        EXPECT_EQ(ReportColumnLayout::FromBytes(c.bytes).Records(), c.records) << c.what;
    }
}

// Whatever a damaged profile holds, a restore gives a column a width its header section can
// take, and only a stored 0 hides it.
TEST(ReportColumnLayoutTest, RestoreKeepsWidthsInRangeAndHidesOnlyOnAStoredZero) {
    struct Case {
        ColumnLayoutRecord stored;
        int width;
        bool hidden;
    };
    const Case cases[] = {
        {{1, 150}, 150, false},
        {{0, 110}, 110, true},
        {{1, -5}, 0, false},
        {{1, 0xFFFF}, 0xFFFF, false},
        {{1, 0x10000}, 0xFFFF, false},
        {{2, 80}, 80, false},
        {{-1, 2000000000}, 0xFFFF, false},
    };
    for (const Case& c : cases) {
        const ReportColumnLayout layout(std::vector<ColumnLayoutRecord>{c.stored});
        EXPECT_EQ(layout.RestoredWidth(0), c.width) << c.stored.visible << " " << c.stored.width;
        EXPECT_EQ(layout.RestoresHidden(0), c.hidden) << c.stored.visible << " " << c.stored.width;
    }
}

}  // namespace
}  // namespace tonquill
