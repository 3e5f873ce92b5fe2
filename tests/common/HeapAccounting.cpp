#include "tests/common/HeapAccounting.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <thread>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MARROWFOLD_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MARROWFOLD_SANITIZED_HEAP 1
#endif
#endif

#ifdef MARROWFOLD_SANITIZED_HEAP
// Provided by the address and thread sanitizer runtimes.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace marrowfold::testing {

size_t liveHeapBytes() {
#ifdef MARROWFOLD_SANITIZED_HEAP
    return __sanitizer_get_current_allocated_bytes();
#else
    // Blocks in the heap's arenas plus the large ones the allocator maps on their own.
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
#endif
}

size_t liveHeapBytesAfter(const std::function<void()>& work) {
    std::thread worker(work);
    worker.join();
    return liveHeapBytes();
}

void expectHeapToSettle(const std::function<void(int32_t)>& round, int32_t warmUpRounds,
                        int32_t rounds, size_t allowedGrowth) {
    const auto run = [&round](int32_t first, int32_t last) {
        return [&round, first, last] {
            for (int32_t r = first; r < last && !::testing::Test::HasFatalFailure(); ++r)
                round(r);
        };
    };
    const size_t settled = liveHeapBytesAfter(run(0, warmUpRounds));
    const size_t now = liveHeapBytesAfter(run(warmUpRounds, rounds));
    EXPECT_LE(now, settled + allowedGrowth) << "heap grew by " << (now - settled) << " bytes";
}

}  // namespace marrowfold::testing
