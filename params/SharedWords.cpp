#include "params/SharedWords.h"

#include <cstdint>

namespace marrowfold {

namespace {

// Copies count units of T from source to dest, front to back or back to front as memmove
// would for overlapping ranges.
template <typename T>
void copyUnits(T* dest, const T* source, size_t count) {
    if (dest < source) {
        for (size_t i = 0; i < count; ++i)
            storeShared(dest[i], loadShared(source[i]));
    } else {
        for (size_t i = count; i-- > 0;)
            storeShared(dest[i], loadShared(source[i]));
    }
}

bool wordAligned(const void* pointer) {
    return reinterpret_cast<uintptr_t>(pointer) % sizeof(uint32_t) == 0;
}

}  // namespace

void copyShared(void* dest, const void* source, size_t bytes) {
    if (dest == source || bytes == 0) return;
    if (wordAligned(dest) && wordAligned(source) && bytes % sizeof(uint32_t) == 0) {
        copyUnits(static_cast<uint32_t*>(dest), static_cast<const uint32_t*>(source),
                  bytes / sizeof(uint32_t));
    } else {
        copyUnits(static_cast<unsigned char*>(dest), static_cast<const unsigned char*>(source),
                  bytes);
    }
}

}  // namespace marrowfold
