#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "convert/RingBuffer.h"

namespace tonquill {
namespace {

TEST(RingBuffer, AcceptsExactlyItsCapacity) {
    RingBuffer<int, 1> ring(8);
    std::vector<int> data(10, 7);
    EXPECT_EQ(ring.Write(data.data(), 5), 5u);
    EXPECT_EQ(ring.Write(data.data(), 5), 3u);  // only 8 fit
    EXPECT_EQ(ring.Available(), 8u);
    EXPECT_EQ(ring.FreeSpace(), 0u);
    EXPECT_EQ(ring.Write(data.data(), 1), 0u);
}

TEST(RingBuffer, ShortReadZeroFillsTheRestOfTheDestination) {
    RingBuffer<int, 1> ring(16);
    const int in[3] = {1, -2, 3};
    ring.Write(in, 3);
    std::vector<int> out(10, 99);
    EXPECT_EQ(ring.Read(out.data(), 10), 3u);
    EXPECT_EQ(out, (std::vector<int>{1, -2, 3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ring.Read(out.data(), 4), 0u);
    EXPECT_EQ(out[0], 0);
}

TEST(RingBuffer, WriteAndReadWrapAroundTheEnd) {
    RingBuffer<int, 1> ring(9);  // Size 10
    ring.ResetTo(8);             // two slots before the end
    const int in[5] = {10, 11, 12, 13, 14};
    EXPECT_EQ(ring.Write(in, 5), 5u);
    EXPECT_EQ(ring.Available(), 5u);
    int out[5] = {};
    EXPECT_EQ(ring.Read(out, 5), 5u);
    EXPECT_EQ(std::vector<int>(out, out + 5), std::vector<int>(in, in + 5));
    EXPECT_EQ(ring.Available(), 0u);
    EXPECT_EQ(ring.FreeSpace(), 9u);
}

TEST(RingBuffer, ResetEmptiesTheRing) {
    RingBuffer<int, 1> ring(4);
    const int in[3] = {1, 2, 3};
    ring.Write(in, 3);
    ring.Reset();
    EXPECT_EQ(ring.Available(), 0u);
    EXPECT_EQ(ring.FreeSpace(), 4u);
}

// One writer and one reader on two threads with a small ring that wraps thousands of times:
// every sample must arrive once, in order.
TEST(RingBuffer, OneWriterOneReaderLoseNothing) {
    RingBuffer<int, 1> ring(1000);
    constexpr int Total = 2'000'000;
    std::thread writer([&] {
        std::vector<int> block(337);
        int next = 0;
        while (next < Total) {
            int n = std::min<int>(static_cast<int>(block.size()), Total - next);
            if (ring.FreeSpace() < static_cast<uint32_t>(n)) {
                std::this_thread::yield();
                continue;
            }
            for (int i = 0; i < n; ++i) {
                block[i] = next + i;
            }
            ASSERT_EQ(ring.Write(block.data(), n), static_cast<uint32_t>(n));
            next += n;
        }
    });
    std::vector<int> block(251);
    int expected = 0;
    bool inOrder = true;
    while (expected < Total) {
        uint32_t n = std::min<uint32_t>(ring.Available(), static_cast<uint32_t>(block.size()));
        if (n == 0) {
            std::this_thread::yield();
            continue;
        }
        ring.Read(block.data(), n);
        for (uint32_t i = 0; i < n; ++i) {
            inOrder = inOrder && block[i] == expected++;
        }
    }
    writer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(ring.Available(), 0u);
}

}  // namespace
}  // namespace tonquill
