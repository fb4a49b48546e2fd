// The stored layouts of the window: the file list's column layout, its sort keys and a window
// placement record, as they come back from the profile. The first byte picks the layout, the
// rest is the stored value. Whatever the profile holds, the list and the window take it without
// failing, and what they store afterwards is a layout that restores to itself.

#include <QApplication>
#include <QSettings>
#include <QWidget>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "FuzzCheck.h"
#include "FuzzSupport.h"
#include "ui/ColumnSortInfo.h"
#include "ui/ReportColumnLayout.h"
#include "ui/ReportTestList.h"
#include "ui/WindowPlacementStore.h"

namespace {

using namespace tonquill;

enum Layout : uint8_t { ColumnLayout, SortKeys, Placement, LayoutCount };

// A few rows that differ in every column the sort looks at.
void AddRows(test::FileListFixture& f) {
    const char* names[] = {"b.mp3", "a.ogg", "c.wav", "b.wma"};
    for (int i = 0; i < 4; ++i) {
        test::FakeEntry entry;
        entry.unreadable = i == 2;
        entry.trackNumber = static_cast<uint8_t>(4 - i);
        entry.sizeMegabytes = 0.5 * i;
        entry.sampleRate = 44100u - 100u * i;
        entry.channels = 1 + i % 2;
        entry.bitrateKbps = 128u + 32u * i;
        const int row = f.AddRow(names[i], QString("artist %1").arg(i % 3), entry);
        for (int column = 1; column < f.list.ColumnCount(); ++column) {
            f.list.SetItemText(row, column, QString::number((row * 7 + column) % 5));
        }
    }
}

void FuzzColumnLayout(const QByteArray& bytes) {
    // A partial tail is ignored and every whole record survives the round trip.
    const ReportColumnLayout layout = ReportColumnLayout::FromBytes(bytes);
    FUZZ_CHECK(layout.ColumnCount() == bytes.size() / 8);
    FUZZ_CHECK(layout.ToBytes() == bytes.left(bytes.size() / 8 * 8));

    test::FileListFixture first;
    AddRows(first);
    first.list.RestoreColumnLayout(bytes);
    const QByteArray stored = first.list.ColumnLayoutBytes();
    FUZZ_CHECK(stored.size() == first.list.ColumnCount() * 8);
    const ReportColumnLayout restored = ReportColumnLayout::FromBytes(stored);
    for (const ColumnLayoutRecord& record : restored.Records()) {
        FUZZ_CHECK(record.visible == 0 || record.visible == 1);
        FUZZ_CHECK(record.width >= 0 && record.width <= 0xFFFF);
    }

    test::FileListFixture second;
    second.list.RestoreColumnLayout(stored);
    FUZZ_CHECK(second.list.ColumnLayoutBytes() == stored);
}

void FuzzSortKeys(const QByteArray& bytes) {
    const std::vector<ColumnSortInfo> keys = SortKeysFromBytes(bytes);
    FUZZ_CHECK(keys.size() <= static_cast<size_t>(kMaxSortKeys));
    FUZZ_CHECK(keys.size() == std::min<size_t>(bytes.size() / 8, kMaxSortKeys));
    for (const ColumnSortInfo& key : keys) {
        FUZZ_CHECK(key.ascending == 0 || key.ascending == 1);
    }
    FUZZ_CHECK(SortKeysFromBytes(SortKeysToBytes(keys)) == keys);

    // Sorting by the stored keys keeps every row, only in another order.
    test::FileListFixture f;
    AddRows(f);
    const QStringList before = f.Column(0);
    f.list.sortKeys = keys;
    f.list.SortRows(0, f.list.GetItemCount() - 1, true);
    QStringList after = f.Column(0);
    QStringList sortedBefore = before;
    sortedBefore.sort();
    after.sort();
    FUZZ_CHECK(after == sortedBefore);

    // A header click on any column, even one the list lacks, keeps at most six keys.
    std::vector<ColumnSortInfo> promoted = keys;
    PromoteSortKey(promoted, keys.empty() ? 0 : keys.back().column);
    FUZZ_CHECK(!promoted.empty() && promoted.size() <= static_cast<size_t>(kMaxSortKeys));
}

void FuzzPlacement(const QByteArray& bytes) {
    // The record is the first 44 bytes; a byte after it, when there is one, is the restore mode.
    const QByteArray record = bytes.left(WindowPlacement::RecordSize);
    const int restoreMode = bytes.size() > static_cast<qsizetype>(WindowPlacement::RecordSize)
                                ? static_cast<int8_t>(bytes[WindowPlacement::RecordSize])
                                : 0;
    if (const auto placement = WindowPlacement::FromBytes(record)) {
        FUZZ_CHECK(placement->ToBytes() == record);
    }

    const std::string iniPath = (fuzz::WorkFolder() / "profile.ini").string();
    std::filesystem::remove(iniPath);
    QSettings profile(QString::fromStdString(iniPath), QSettings::IniFormat);
    profile.setValue(WindowPlacementStore::Section + "/Main", record);
    profile.setValue(WindowPlacementStore::Section + "/" + WindowPlacementStore::RestoreModeName,
                     restoreMode);

    QWidget window;
    window.resize(640, 480);
    WindowPlacementStore store;
    store.RestorePlacement(window, "Main", profile);
    window.show();
    QCoreApplication::processEvents();
    // What the window now stores is a record that reads back.
    FUZZ_CHECK(WindowPlacement::FromBytes(WindowPlacement::Of(window).ToBytes()).has_value());
    window.hide();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never destroyed: at exit Qt's own globals go first, and a static application would then
    // crash in its destructor.
    new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1,
                           static_cast<qsizetype>(size - 1));
    switch (data[0] % LayoutCount) {
        case ColumnLayout:
            FuzzColumnLayout(bytes);
            break;
        case SortKeys:
            FuzzSortKeys(bytes);
            break;
        default:
            FuzzPlacement(bytes);
            break;
    }
    return 0;
}
