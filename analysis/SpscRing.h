#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <memory>

namespace marrowfold {

// A fixed-size ring for one producer thread and one consumer thread. Construction allocates;
// afterwards neither side allocates, locks or calls the system: each side owns one index and
// publishes it with a release store that the other side reads with an acquire load.
template <typename T>
class SpscRing {
  public:
    // capacity is rounded up to a power of two.
    explicit SpscRing(size_t capacity) : mask_(roundUpToPowerOfTwo(capacity) - 1) {
        slots_ = std::make_unique<T[]>(mask_ + 1);
    }

    size_t capacity() const { return mask_ + 1; }

    // Producer: how many items fit now. The consumer only ever frees space, so the room seen
    // here is still there when the producer writes.
    size_t space() const {
        return capacity() -
               (write_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire));
    }

    // Producer: writes make(i) for i in 0..count-1, all or nothing; false when they do not fit.
    template <typename Make>
    bool pushEach(size_t count, Make make) {
        if (count > space()) return false;
        const size_t start = write_.load(std::memory_order_relaxed);
        for (size_t i = 0; i < count; ++i)
            slots_[(start + i) & mask_] = make(i);
        write_.store(start + count, std::memory_order_release);
        return true;
    }

    // Producer: all or nothing, as pushEach, but fill(destination, first, n) writes items
    // first..first+n-1 into contiguous slots, in one or two calls.
    template <typename Fill>
    bool pushSpans(size_t count, Fill fill) {
        if (count > space()) return false;
        const size_t start = write_.load(std::memory_order_relaxed);
        const size_t at = start & mask_;
        const size_t firstSpan = std::min(count, capacity() - at);
        fill(&slots_[at], size_t{0}, firstSpan);
        if (firstSpan < count) fill(&slots_[0], firstSpan, count - firstSpan);
        write_.store(start + count, std::memory_order_release);
        return true;
    }

    bool push(const T& item) {
        return pushEach(1, [&](size_t) { return item; });
    }

    // Consumer: items waiting.
    size_t available() const {
        return write_.load(std::memory_order_acquire) - read_.load(std::memory_order_relaxed);
    }

    // Consumer: moves up to count items, oldest first, into out; returns how many.
    size_t pop(T* out, size_t count) {
        const size_t start = read_.load(std::memory_order_relaxed);
        const size_t n = std::min(count, available());
        for (size_t i = 0; i < n; ++i)
            out[i] = slots_[(start + i) & mask_];
        read_.store(start + n, std::memory_order_release);
        return n;
    }

  private:
    static size_t roundUpToPowerOfTwo(size_t n) {
        size_t p = 1;
        while (p < n)
            p <<= 1;
        return p;
    }

    // Apart, so that the two threads do not write into one cache line.
    static constexpr size_t kCacheLine = 64;

    size_t mask_;
    std::unique_ptr<T[]> slots_;
    alignas(kCacheLine) std::atomic<size_t> write_{0};
    alignas(kCacheLine) std::atomic<size_t> read_{0};
};

}  // namespace marrowfold
