#pragma once

#include <cstddef>
#include <cstdint>

namespace marrowfold {

inline constexpr int32_t kBandCount = 4;
inline constexpr int32_t kEdgeCount = kBandCount + 1;
inline constexpr int32_t kPresetNameSize = 32;
// Every record this system writes carries this tag; nothing reads it.
inline constexpr int32_t kRecordTag = 18;

// One preset of the bank. The byte layout is part of saved chunks, so it must not change.
struct PresetRecord {
    float bandDrive[kBandCount];  // dB, -20..20
    float bandEdge[kEdgeCount];  // Hz: lower edge of band 1, three crossovers, upper edge of band 4
    float bandLevel[kBandCount];  // parameters 0..3, dB
    float inputGain;              // parameter 4 "In", dB
    float outputGain;             // parameter 5 "Out", dB
    int32_t shape;                // parameter 6, 0..4
    char name[kPresetNameSize];   // zero-terminated
    int32_t recordTag;
};

inline constexpr int32_t kPresetRecordSize = 100;
inline constexpr int32_t kBankRecordCount = 64;
inline constexpr int32_t kBankSize = kPresetRecordSize * kBankRecordCount;

static_assert(sizeof(PresetRecord) == kPresetRecordSize);
static_assert(offsetof(PresetRecord, bandEdge) == 16);
static_assert(offsetof(PresetRecord, bandLevel) == 36);
static_assert(offsetof(PresetRecord, inputGain) == 52);
static_assert(offsetof(PresetRecord, outputGain) == 56);
static_assert(offsetof(PresetRecord, shape) == 60);
static_assert(offsetof(PresetRecord, name) == 64);
static_assert(offsetof(PresetRecord, recordTag) == 96);

}  // namespace marrowfold
