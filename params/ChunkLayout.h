#pragma once

#include <cstddef>
#include <cstdint>

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

}  // namespace marrowfold
