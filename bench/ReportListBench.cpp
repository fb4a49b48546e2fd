// The report list with file-list sized contents: inserting, sorting and recolouring 50 000
// rows, each with redrawing handled as the owner does it.
#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QRandomGenerator>
#include <memory>
#include <vector>

#include "ui/ReportCtrl.h"
#include "ui/ReportOwnerRecords.h"

namespace tonquill {
namespace {

constexpr int kRows = 50000;
constexpr int kColumns = 18;
constexpr int kBitrate = 17;

struct BenchEntry {
    uint32_t bitrateKbps = 0;
    int unreadable = 0;
};

class BenchRecords : public ReportOwnerRecords {
public:
    bool IsNumericColumn(int column) const override { return column == kBitrate; }
    double NumericKey(const void* ownerData, int) const override {
        return static_cast<const BenchEntry*>(ownerData)->bitrateKbps;
    }
    bool IsUnreadable(const void* ownerData) const override {
        return static_cast<const BenchEntry*>(ownerData)->unreadable != 0;
    }
};

struct FilledList {
    FilledList() {
        list.SetOwnerRecords(&records);
        for (int column = 0; column < kColumns; ++column) {
            list.InsertColumn(column, QString("Column %1").arg(column), 0, 90);
        }
        list.resize(1200, 800);
        list.show();
        entries.resize(kRows);
    }

    void Fill() {
        QRandomGenerator random(42);
        list.SetRedraw(false);
        for (int row = 0; row < kRows; ++row) {
            const uint32_t n = random.generate();
            entries[row].bitrateKbps = 32 + n % 288;
            entries[row].unreadable = (n % 97) == 0;
            const int at = list.InsertItem(row, QString("Track %1 - %2.mp3").arg(n % 1000).arg(n));
            list.SetItemData(at, &entries[row]);
            list.SetItemText(at, 1, QStringLiteral("/home/user/Music/Some Artist/Some Album/"));
            list.SetItemText(at, 2, QStringLiteral("MP3"));
            list.SetItemText(at, 4, QString("Artist %1").arg(n % 50));
            list.SetItemText(at, 6, QString("Album %1").arg(n % 400));
            list.SetItemText(at, 8, QString("Title %1").arg(n));
            list.SetItemText(at, 12, QString::number((n % 10000) / 1000.0, 'f', 2));
            list.SetItemText(at, 14, QStringLiteral("00:03:25"));
            list.SetItemText(at, 15, QStringLiteral("44100 Hz"));
            list.SetItemText(at, 16, QStringLiteral("2 (Stereo)"));
            list.SetItemText(at, kBitrate, QString("%1 kbps").arg(entries[row].bitrateKbps));
        }
        list.RecolourRows(false);  // resumes redrawing
        QCoreApplication::processEvents();
    }

    BenchRecords records;
    std::vector<BenchEntry> entries;
    CReportCtrl list;
};

void BM_InsertRows(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto filled = std::make_unique<FilledList>();
        state.ResumeTiming();
        filled->Fill();
        state.PauseTiming();
        filled.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InsertRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void SortBench(benchmark::State& state, int column) {
    FilledList filled;
    filled.Fill();
    filled.list.ApplyStatesToRows(ROW_ALL, ROW_SELECTED);
    int ascending = 1;
    for (auto _ : state) {
        filled.list.sortKeys = {{column, ascending}, {0, 1}};
        filled.list.SortRows(0, kRows - 1, true);
        QCoreApplication::processEvents();
        ascending = 1 - ascending;
    }
}

void BM_SortByText(benchmark::State& state) {
    SortBench(state, 0);
}
BENCHMARK(BM_SortByText)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_SortByNumber(benchmark::State& state) {
    SortBench(state, kBitrate);
}
BENCHMARK(BM_SortByNumber)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_Recolour(benchmark::State& state) {
    FilledList filled;
    filled.Fill();
    filled.list.sortKeys = {{4, 1}};
    bool highlight = true;
    for (auto _ : state) {
        filled.list.RecolourRows(highlight);
        QCoreApplication::processEvents();
        highlight = !highlight;
    }
}
BENCHMARK(BM_Recolour)->Unit(benchmark::kMillisecond)->Iterations(6);

}  // namespace
}  // namespace tonquill
