// The record as a 32-bit Windows host reads it from marrowfold.dll: raw bytes at fixed offsets,
// not through our own declaration of the record, which could be wrong in the same way as the
// module. Windows aligns a double to 8 bytes where 32-bit Linux aligns it to 4, so the records
// that cross the host boundary are checked in this build too.
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

constexpr size_t kRecordBytes = 144;

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

TEST(WindowsLayout, BuildIsThirtyTwoBitWithWindowsAlignment) {
    EXPECT_EQ(sizeof(void*), 4u);
    EXPECT_EQ(sizeof(EffectRecord), kRecordBytes);
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
    for (size_t entryOffset : {4u, 8u, 12u, 16u, 80u})
        EXPECT_NE(readAt<uint32_t>(bytes, entryOffset), 0u) << "entry point at " << entryOffset;
    EXPECT_EQ(readAt<int32_t>(bytes, 20), 4) << "programCount";
    EXPECT_EQ(readAt<int32_t>(bytes, 24), 8) << "parameterCount";
    EXPECT_EQ(readAt<int32_t>(bytes, 28), 2) << "inputCount";
    EXPECT_EQ(readAt<int32_t>(bytes, 32), 2) << "outputCount";
    EXPECT_EQ(readAt<int32_t>(bytes, 36), kExpectedFlags) << "flags";
    EXPECT_EQ(readAt<int32_t>(bytes, 48), 0) << "latency";
    EXPECT_EQ(readAt<float>(bytes, 60), 1.0f) << "rateRatio";
    EXPECT_EQ(readAt<uint32_t>(bytes, 64), reinterpret_cast<uintptr_t>(host.record()->owner));
    EXPECT_EQ(readAt<int32_t>(bytes, 72), 0x4D524644) << "pluginId MRFD";
    EXPECT_EQ(readAt<int32_t>(bytes, 76), 1) << "pluginVersion";
    for (size_t spare = 84; spare < kRecordBytes; ++spare)
        EXPECT_EQ(bytes[spare], 0) << "spare byte " << spare;

    // The entry points use the platform's default calling convention: a call through the
    // dispatcher at offset 4 answers the identity request.
    const auto dispatch = readAt<DispatchEntry>(bytes, 4);
    EXPECT_EQ(dispatch(host.record(), ReqIdentify, 0, 0, nullptr, 0.0f), 0x4E764566);
    EXPECT_EQ(host.close(), 1);
}

}  // namespace
}  // namespace marrowfold
