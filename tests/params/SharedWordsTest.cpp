// Copies between the shared bank and the threads' own buffers behave like memmove: overlapping
// ranges in either direction, whole words where aligned and single bytes where not.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

#include "params/SharedWords.h"

namespace marrowfold {
namespace {

std::vector<uint8_t> counting(size_t size) {
    std::vector<uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), uint8_t{1});
    return bytes;
}

TEST(SharedWordsTest, CopiesLikeMemmoveForEveryOverlapAndAlignment) {
    // (destination offset, source offset, bytes): aligned words, shifts up and down by a whole
    // record's worth of words, and unaligned spans that must go byte by byte.
    const struct {
        size_t dest, source, bytes;
    } cases[] = {{0, 100, 100}, {100, 0, 200}, {4, 0, 96}, {0, 4, 96},
                 {1, 0, 50},    {0, 3, 50},    {8, 8, 40}, {2, 6, 7}};
    for (const auto& c : cases) {
        alignas(4) uint8_t shared[400];
        alignas(4) uint8_t expected[400];
        const std::vector<uint8_t> start = counting(sizeof shared);
        std::memcpy(shared, start.data(), sizeof shared);
        std::memcpy(expected, start.data(), sizeof expected);
        std::memmove(expected + c.dest, expected + c.source, c.bytes);
        copyShared(shared + c.dest, shared + c.source, c.bytes);
        EXPECT_EQ(std::memcmp(shared, expected, sizeof shared), 0)
            << "dest " << c.dest << " source " << c.source << " bytes " << c.bytes;
    }
}

}  // namespace
}  // namespace marrowfold
