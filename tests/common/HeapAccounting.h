#pragma once

// Heap accounting for the leak loops: a thousand lifetimes of something must leave the heap
// where the first few left it.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace marrowfold::testing {

// Bytes the program has allocated and not yet freed, as its allocator (or the sanitizer's)
// counts them; freed memory held back by a sanitizer's quarantine does not count.
size_t liveHeapBytes();

// Runs work on a thread of its own and answers liveHeapBytes once that thread has ended. The C
// library keeps a few freed blocks of each size in a cache per thread, which it counts as in
// use; a thread's cache goes back to the heap when the thread ends.
size_t liveHeapBytesAfter(const std::function<void()>& work);

// Runs round(0) .. round(rounds - 1), the first warmUpRounds on a thread of their own and the
// rest on another, and expects the heap after all of them within allowedGrowth bytes of where
// it was after the first few (first-use caches of the runtime fill up meanwhile). Stops at the
// first fatal failure.
void expectHeapToSettle(const std::function<void(int32_t)>& round, int32_t warmUpRounds,
                        int32_t rounds, size_t allowedGrowth);

}  // namespace marrowfold::testing
