#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

namespace tonquill {

// Memory for a ring, to be freed with std::free. A ring's first pass touches every page it
// writes, and a fault per 4 KiB page made that first pass cost a short file more than its
// decoding: the memory is asked for in huge pages where the system gives them (one fault per
// 2 MiB), and is not zeroed, since a slot is always written before it is read.
void* AllocateRingMemory(size_t bytes);

// A bounded ring of samples between two pipeline stages: one writer thread, Readers reader
// threads, no locks. Each side publishes its own position with release and reads the other's
// with acquire; a stale view only makes a side wait one more pass. Holds at most Size - 1
// elements; only reader 0 limits the writer.
template <typename T, int Readers>
class RingBuffer {
    static_assert(std::is_trivially_copyable_v<T> && Readers >= 1);

public:
    explicit RingBuffer(uint32_t capacity)
        // Left uninitialised: a slot is always written before it is read, and zeroing megabytes
        // of ring would cost a short file more than its whole conversion.
        : Data(
              static_cast<T*>(AllocateRingMemory((static_cast<size_t>(capacity) + 1) * sizeof(T)))),
          Size(capacity + 1) {
        Reset();
    }
    virtual ~RingBuffer() = default;
    RingBuffer(const RingBuffer&) = delete;
    RingBuffer& operator=(const RingBuffer&) = delete;

    uint32_t Capacity() const { return Size - 1; }

    uint32_t Available(int reader = 0) const {
        uint32_t w = WritePos.load(std::memory_order_acquire);
        uint32_t r = ReadPos[reader].load(std::memory_order_relaxed);
        return (w + Size - r) % Size;
    }

    uint32_t FreeSpace() const {
        uint32_t w = WritePos.load(std::memory_order_relaxed);
        uint32_t r = ReadPos[0].load(std::memory_order_acquire);
        return (r + Size - w - 1) % Size;
    }

    // Copies up to n elements in (fewer when there is less room) and returns how many.
    uint32_t Write(const T* samples, uint32_t n) {
        n = std::min(n, FreeSpace());
        if (n == 0) {
            return 0;  // an empty block may come with no pointer at all
        }
        uint32_t w = WritePos.load(std::memory_order_relaxed);
        uint32_t first = std::min(n, Size - w);
        std::memcpy(Data.get() + w, samples, first * sizeof(T));
        std::memcpy(Data.get(), samples + first, (n - first) * sizeof(T));
        WritePos.store((w + n) % Size, std::memory_order_release);
        Written.store(Written.load(std::memory_order_relaxed) + n, std::memory_order_relaxed);
        return n;
    }

    // Copies up to n elements out and returns how many; the part of dest beyond them is zeroed.
    uint32_t Read(T* dest, uint32_t n, int reader = 0) {
        if (n == 0) {
            return 0;
        }
        uint32_t available = Available(reader);
        if (available < n) {
            std::memset(static_cast<void*>(dest + available), 0, (n - available) * sizeof(T));
            n = available;
        }
        uint32_t r = ReadPos[reader].load(std::memory_order_relaxed);
        uint32_t first = std::min(n, Size - r);
        std::memcpy(dest, Data.get() + r, first * sizeof(T));
        std::memcpy(dest + first, Data.get(), (n - first) * sizeof(T));
        ReadPos[reader].store((r + n) % Size, std::memory_order_release);
        return n;
    }

    // Elements written since the last Reset (read by the writer, or after it has ended).
    uint64_t TotalWritten() const { return Written.load(std::memory_order_relaxed); }

    // Empties the ring; only while neither side is running.
    void Reset() {
        WritePos.store(0, std::memory_order_relaxed);
        Written.store(0, std::memory_order_relaxed);
        for (auto& r : ReadPos) {
            r.store(0, std::memory_order_relaxed);
        }
    }

    // Places both positions at p, for tests of the wrap-around.
    void ResetTo(uint32_t p) {
        WritePos.store(p % Size, std::memory_order_relaxed);
        for (auto& r : ReadPos) {
            r.store(p % Size, std::memory_order_relaxed);
        }
    }

private:
    struct Free {
        void operator()(T* data) const { std::free(data); }
    };
    std::unique_ptr<T, Free> Data;
    std::atomic<uint32_t> WritePos{0};
    std::atomic<uint64_t> Written{0};
    std::array<std::atomic<uint32_t>, Readers> ReadPos{};
    uint32_t Size;
};

// The rings between the pipeline stages carry interleaved signed 32-bit samples.
using SampleRing = RingBuffer<int, 1>;

// Capacity of each pipeline ring: about 11 seconds of 48 kHz stereo.
inline constexpr uint32_t PipelineRingCapacity = 1048575;

}  // namespace tonquill
