#include "convert/RingBuffer.h"

#include <new>

#include <sys/mman.h>

namespace tonquill {

void* AllocateRingMemory(size_t bytes) {
    constexpr size_t HugePage = size_t{2} << 20;
    // Aligned to a huge page and a whole number of them, so the system may back it with huge
    // pages; where it does not, this is ordinary memory.
    const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    void* memory = std::aligned_alloc(HugePage, rounded);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    madvise(memory, rounded, MADV_HUGEPAGE);
    return memory;
}

}  // namespace tonquill
