// The record as a Windows host reads it from marrowfold.dll: raw bytes at fixed offsets, not
// through our own declaration of the record, which could be wrong in the same way as the module.
// The 32-bit build has the record's own layout; the 64-bit build widens the pointers and the
// integers that may carry one. Windows aligns a double to 8 bytes where 32-bit Linux aligns it to
// 4, so the records that cross the host boundary are checked in these builds too.
#include <cstring>

#include <gtest/gtest.h>

#include "core/HostEditor.h"
#include "host/PluginHost.h"
#include "host/PluginModule.h"
#include "params/PresetRecord.h"

namespace marrowfold {
namespace {

#ifdef MARROWFOLD_WITH_EDITOR
constexpr int32_t kExpectedFlags = 57;
#else
constexpr int32_t kExpectedFlags = 56;
#endif

// Where a host finds each field of the record.
struct RecordOffsets {
    size_t recordBytes;
    size_t entries[5];  // dispatch, processAdd, setParameter, getParameter, processReplace
    size_t counts;      // programCount; parameterCount, inputCount, outputCount and flags follow
    size_t latency;
    size_t rateRatio;
    size_t owner;
    size_t pluginId;  // pluginVersion follows
    size_t spare;
};

constexpr RecordOffsets kThirtyTwoBit = {144, {4, 8, 12, 16, 80}, 20, 48, 60, 64, 72, 84};
constexpr RecordOffsets kSixtyFourBit = {192, {8, 16, 24, 32, 120}, 40, 80, 92, 96, 112, 128};
constexpr RecordOffsets kOffsets = sizeof(void*) == 4 ? kThirtyTwoBit : kSixtyFourBit;

template <typename T>
T readAt(const unsigned char* bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

struct DoubleAfterInt {
    int32_t word;
    double number;
};

TEST(WindowsLayout, RecordsHaveTheWindowsAlignment) {
    EXPECT_EQ(sizeof(EffectRecord), kOffsets.recordBytes);
    EXPECT_EQ(sizeof(DoubleAfterInt), 16u) << "not the Windows alignment of double";
    EXPECT_EQ(sizeof(PresetRecord), 100u);
    EXPECT_EQ(sizeof(KeyRecord), 8u);
    EXPECT_EQ(offsetof(KeyRecord, virtualKey), 4u);
    EXPECT_EQ(offsetof(KeyRecord, modifiers), 5u);
    EXPECT_EQ(sizeof(EditorRect), 8u);
    EXPECT_EQ(offsetof(EditorRect, right), 6u);
}

TEST(WindowsLayout, ModuleRecordAtEveryOffset) {
    PluginModule module;
    ASSERT_TRUE(module.open(MARROWFOLD_MODULE_PATH)) << module.error();
    PluginHost host;
    ASSERT_TRUE(host.create(module));
    const auto* bytes = reinterpret_cast<const unsigned char*>(host.record());

    EXPECT_EQ(std::memcmp(bytes, "PglP", 4), 0) << "magic \"PlgP\" as a little-endian word";
    for (size_t entryOffset : kOffsets.entries)
        EXPECT_NE(readAt<uintptr_t>(bytes, entryOffset), 0u) << "entry point at " << entryOffset;
    const size_t counts = kOffsets.counts;
    EXPECT_EQ(readAt<int32_t>(bytes, counts), 4) << "programCount";
    EXPECT_EQ(readAt<int32_t>(bytes, counts + 4), 8) << "parameterCount";
    EXPECT_EQ(readAt<int32_t>(bytes, counts + 8), 2) << "inputCount";
    EXPECT_EQ(readAt<int32_t>(bytes, counts + 12), 2) << "outputCount";
    EXPECT_EQ(readAt<int32_t>(bytes, counts + 16), kExpectedFlags) << "flags";
    EXPECT_EQ(readAt<int32_t>(bytes, kOffsets.latency), 0) << "latency";
    EXPECT_EQ(readAt<float>(bytes, kOffsets.rateRatio), 1.0f) << "rateRatio";
    EXPECT_EQ(readAt<uintptr_t>(bytes, kOffsets.owner),
              reinterpret_cast<uintptr_t>(host.record()->owner));
    EXPECT_EQ(readAt<int32_t>(bytes, kOffsets.pluginId), 0x4D524644) << "pluginId MRFD";
    EXPECT_EQ(readAt<int32_t>(bytes, kOffsets.pluginId + 4), 1) << "pluginVersion";
    for (size_t spare = kOffsets.spare; spare < kOffsets.recordBytes; ++spare)
        EXPECT_EQ(bytes[spare], 0) << "spare byte " << spare;

    // The entry points use the platform's default calling convention: a call through the
    // dispatcher at offset 4 answers the identity request.
    const auto dispatch = readAt<DispatchEntry>(bytes, kOffsets.entries[0]);
    EXPECT_EQ(dispatch(host.record(), ReqIdentify, 0, 0, nullptr, 0.0f), 0x4E764566);
    EXPECT_EQ(host.close(), 1);
}

}  // namespace
}  // namespace marrowfold
