#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "params/ParameterIndex.h"
#include "params/PresetRecord.h"

namespace marrowfold {

// The saved chunk format, which hosts keep in their projects and so must never change. A
// program chunk holds parameters 0..9 in their data sizes as big-endian 32-bit words (host
// values for 0..7, the bank word by word, the real preset count), then the program's name; a
// bank chunk holds the four programs one after the other. Neither carries a header.
inline constexpr int32_t kProgramCount = 4;
inline constexpr int32_t kStoredParameterCount = ParamPresetCount + 1;  // parameters 0..9
inline constexpr int32_t kProgramNameSize = 64;

inline constexpr size_t kChunkWordSize = 4;
inline constexpr size_t kChunkPresetValueOffset = ParamPreset * kChunkWordSize;
inline constexpr size_t kChunkBankOffset = ParamBank * kChunkWordSize;
inline constexpr size_t kChunkPresetCountOffset = kChunkBankOffset + kBankSize;
inline constexpr size_t kChunkProgramNameOffset = kChunkPresetCountOffset + kChunkWordSize;
inline constexpr size_t kProgramChunkSize = kChunkProgramNameOffset + kProgramNameSize;
inline constexpr size_t kBankChunkSize = kProgramChunkSize * kProgramCount;

static_assert(kProgramChunkSize == 6500 && kBankChunkSize == 26000,
              "saved projects hold chunks of exactly these sizes");

// One word of a chunk as stored, the most significant byte first.
inline uint32_t bigEndianWord(std::span<const uint8_t> bytes, size_t offset) {
    return (uint32_t{bytes[offset]} << 24) | (uint32_t{bytes[offset + 1]} << 16) |
           (uint32_t{bytes[offset + 2]} << 8) | uint32_t{bytes[offset + 3]};
}
inline float bigEndianFloat(std::span<const uint8_t> bytes, size_t offset) {
    return std::bit_cast<float>(bigEndianWord(bytes, offset));
}
inline void storeBigEndianFloat(float value, std::span<uint8_t> bytes, size_t offset) {
    const auto word = std::bit_cast<uint32_t>(value);
    for (size_t k = 0; k < kChunkWordSize; ++k)
        bytes[offset + k] = static_cast<uint8_t>(word >> (8 * (kChunkWordSize - 1 - k)));
}

}  // namespace marrowfold
