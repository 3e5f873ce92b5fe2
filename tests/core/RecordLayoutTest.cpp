// The record is a binary interface: every field sits at the offset the host expects, on the
// 32-bit reference layout and on the 64-bit layout where address-carrying fields widen.
#include <cstddef>

#include <gtest/gtest.h>

#include "core/EffectRecord.h"

namespace marrowfold {
namespace {

struct FieldOffset {
    const char* name;
    size_t actual;
    size_t offset32;
    size_t offset64;
};

#define FIELD(field, at32, at64)                          \
    FieldOffset {                                         \
#field, offsetof(EffectRecord, field), at32, at64 \
    }

TEST(RecordLayout, EveryFieldAtItsOffset) {
    const FieldOffset fields[] = {
        FIELD(magic, 0, 0),
        FIELD(dispatchEntry, 4, 8),
        FIELD(processAddEntry, 8, 16),
        FIELD(setParameterEntry, 12, 24),
        FIELD(getParameterEntry, 16, 32),
        FIELD(programCount, 20, 40),
        FIELD(parameterCount, 24, 44),
        FIELD(inputCount, 28, 48),
        FIELD(outputCount, 32, 52),
        FIELD(flags, 36, 56),
        FIELD(reserved1, 40, 64),
        FIELD(reserved2, 44, 72),
        FIELD(latency, 48, 80),
        FIELD(realtimeQualities, 52, 84),
        FIELD(offlineQualities, 56, 88),
        FIELD(rateRatio, 60, 92),
        FIELD(owner, 64, 96),
        FIELD(hostData, 68, 104),
        FIELD(pluginId, 72, 112),
        FIELD(pluginVersion, 76, 116),
        FIELD(processReplaceEntry, 80, 120),
        FIELD(spare, 84, 128),
    };
    const bool is32Bit = sizeof(void*) == 4;
    for (const FieldOffset& field : fields) {
        EXPECT_EQ(field.actual, is32Bit ? field.offset32 : field.offset64) << field.name;
    }
    EXPECT_EQ(sizeof(EffectRecord), is32Bit ? 144u : 192u);
}

#undef FIELD

TEST(RecordLayout, AddressCarryingIntegersArePointerSized) {
    EXPECT_EQ(sizeof(EffectRecord::reserved1), sizeof(void*));
    EXPECT_EQ(sizeof(EffectRecord::hostData), sizeof(void*));
    EXPECT_EQ(sizeof(EffectRecord::latency), 4u);
    EXPECT_EQ(sizeof(EffectRecord::spare), 60u);
}

TEST(RecordLayout, FourCharacterCodesPutTheFirstCharacterHigh) {
    EXPECT_EQ(fourCharCode("PlgP"), 0x506C6750);
    EXPECT_EQ(fourCharCode("MRFD"), 0x4D524644);
    EXPECT_EQ(fourCharCode("xpMW"), 0x78704D57);
    EXPECT_EQ(fourCharCode("Whee"), 0x57686565);
}

}  // namespace
}  // namespace marrowfold
