#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "base/ConversionObserver.h"
#include "convert/wma/WmaComponent.h"
#include "metadata/FileListRow.h"
#include "metadata/MediaProbe.h"

namespace tonquill {
namespace {

// One probe of a five-second file of each format, as a folder load probes each row. The files
// are the ones run-bench.sh generates (TONQUILL_BENCH_FILES names its folder).
void BM_Probe(benchmark::State& state, const char* extension, int type) {
    const char* folder = std::getenv("TONQUILL_BENCH_FILES");
    const std::string path = std::string(folder ? folder : ".") + "/short." + extension;
    if (!std::filesystem::exists(path)) {
        state.SkipWithError(("no " + path + " (run through bench/run-bench.sh)").c_str());
        return;
    }
    NullObserver observer;
    std::unique_ptr<WmaComponent> reader;
    if (type == 3) {
        reader = std::make_unique<WmaComponent>();
    }
    MediaProbe probe(observer, reader.get());
    for (auto _ : state) {
        PlainFileListRow row;
        row.entry.type = static_cast<uint8_t>(type);
        probe.ProbeMediaInfo(row, path);
        probe.ProbeBitrate(row, path);
        benchmark::DoNotOptimize(row.entry.totalSamples);
        if (row.entry.unreadable) {
            state.SkipWithError(("unreadable: " + path).c_str());
            return;
        }
    }
}
BENCHMARK_CAPTURE(BM_Probe, wav, "wav", 1);
BENCHMARK_CAPTURE(BM_Probe, mp3, "mp3", 2);
BENCHMARK_CAPTURE(BM_Probe, wma, "wma", 3);
BENCHMARK_CAPTURE(BM_Probe, ogg, "ogg", 4);

}  // namespace
}  // namespace tonquill
