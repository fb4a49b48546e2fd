#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "convert/RingBuffer.h"

namespace tonquill {
namespace {

// Moving a chunk through a pipeline ring (write, then read) against copying the same bytes
// twice with memcpy: what the ring adds over the copies it cannot avoid.
void BM_RingWriteRead(benchmark::State& state) {
    const auto chunk = static_cast<uint32_t>(state.range(0));
    SampleRing ring(PipelineRingCapacity);
    std::vector<int> in(chunk, 7), out(chunk);
    for (auto _ : state) {
        ring.Write(in.data(), chunk);
        ring.Read(out.data(), chunk);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * chunk * sizeof(int));
}
BENCHMARK(BM_RingWriteRead)->Arg(1152)->Arg(4096)->Arg(65536);

void BM_MemcpyTwice(benchmark::State& state) {
    const auto chunk = static_cast<size_t>(state.range(0));
    std::vector<int> in(chunk, 7), middle(PipelineRingCapacity), out(chunk);
    size_t offset = 0;
    for (auto _ : state) {
        if (offset + chunk > middle.size()) {
            offset = 0;
        }
        std::memcpy(middle.data() + offset, in.data(), chunk * sizeof(int));
        std::memcpy(out.data(), middle.data() + offset, chunk * sizeof(int));
        offset += chunk;
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * chunk * sizeof(int));
}
BENCHMARK(BM_MemcpyTwice)->Arg(1152)->Arg(4096)->Arg(65536);

}  // namespace
}  // namespace tonquill
