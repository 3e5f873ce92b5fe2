#pragma once

// Words the host's threads, the editor and the audio thread share without a lock: parameter
// values, the current preset's index and the preset bank. Each aligned 32-bit word is read and
// written whole, as a relaxed atomic, so a reader sees every word either old or new. The
// hand-over protocol does the rest: a writer marks its change after storing it, so a record read
// while it was being written is read again, whole, with the next take.

#include <atomic>
#include <cstddef>

namespace marrowfold {

template <typename T>
T loadShared(const T& word) {
    return std::atomic_ref<T>(const_cast<T&>(word)).load(std::memory_order_relaxed);
}

template <typename T>
void storeShared(T& word, T value) {
    std::atomic_ref<T>(word).store(value, std::memory_order_relaxed);
}

// Copies bytes like memmove, word by word as relaxed atomics where both sides are aligned to
// whole words, byte by byte otherwise.
void copyShared(void* dest, const void* source, size_t bytes);

}  // namespace marrowfold
