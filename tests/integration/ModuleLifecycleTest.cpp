// The module as a host meets it: the entry point, the record's identity, the fixed answers, the
// engine rebuilds a host can observe through its wiring questions, and the close request.
#include <cmath>
#include <cstring>

#include "ModuleFixture.h"

namespace marrowfold {
namespace {

using testing::builtModule;
using testing::ModuleTest;
using testing::StereoBuffers;

#ifdef MARROWFOLD_WITH_EDITOR
constexpr int32_t kExpectedFlags = 57;
#else
constexpr int32_t kExpectedFlags = 56;
#endif

TEST(ModuleEntry, HostThatCannotTakeThePluginGetsNothing) {
    HostSettings settings;
    settings.versionAnswer = 0;
    PluginHost host(settings);
    EXPECT_FALSE(host.create(builtModule()));
    ASSERT_FALSE(host.calls().empty());
    EXPECT_EQ(host.calls()[0].opcode, HostVersion);
    EXPECT_FALSE(host.calls()[0].withRecord) << "the version question comes before the record";
}

TEST_F(ModuleTest, RecordCarriesTheEffectsIdentity) {
    const EffectRecord& record = *host.record();
    EXPECT_EQ(record.magic, fourCharCode("PlgP"));
    EXPECT_EQ(record.flags, kExpectedFlags);
    EXPECT_EQ(record.inputCount, 2);
    EXPECT_EQ(record.outputCount, 2);
    EXPECT_EQ(record.programCount, 4);
    EXPECT_EQ(record.parameterCount, 8);
    EXPECT_EQ(record.pluginId, 0x4D524644);
    EXPECT_EQ(record.pluginVersion, 1);
    EXPECT_EQ(record.latency, 0);
    EXPECT_EQ(record.rateRatio, 1.0f);
    EXPECT_NE(record.owner, nullptr);
    EXPECT_NE(record.processReplaceEntry, nullptr);
}

TEST_F(ModuleTest, FixedAnswers) {
    EXPECT_EQ(host.dispatch(ReqIdentify), 0x4E764566);
    EXPECT_EQ(host.dispatch(ReqInterfaceVersion), 2200);
    EXPECT_EQ(host.dispatch(ReqKeysNeeded), 1);
    EXPECT_EQ(host.dispatch(ReqInputWired, 0, 1), 1);
    EXPECT_EQ(host.dispatch(ReqOutputWired, 1, 0), 1);
    EXPECT_EQ(host.dispatch(ReqCategory), 1);
    EXPECT_EQ(host.dispatch(ReqMeter), 0);
    for (int32_t opcode : {69, 100, -1})
        EXPECT_EQ(host.dispatch(opcode, 1, 1), 0) << opcode;
    EXPECT_EQ(host.dispatch(ReqCapability, 0, 0, const_cast<char*>("sendVstEvents")), 0);
    EXPECT_EQ(host.dispatch(ReqEffectName, 0, 0, nullptr), 0);
}

TEST_F(ModuleTest, VendorTextWithAndWithoutBuffer) {
    char text[64];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(host.dispatch(ReqVendorName, 0, 0, text), 1);
    EXPECT_STREQ(text, "Pellmoor Acoustics");
    EXPECT_EQ(host.dispatch(ReqVendorName, 0, 0, nullptr), 1);
}

TEST_F(ModuleTest, WheelRequestWithoutAnOpenEditorAnswersZero) {
    EXPECT_EQ(
        host.dispatch(ReqVendorSpecific, fourCharCode("xpMW"), fourCharCode("Whee"), nullptr, 1.0f),
        0);
    EXPECT_EQ(host.dispatch(ReqVendorSpecific, 1, 2, nullptr, 1.0f), 0);
}

TEST_F(ModuleTest, ProgramNumberAtTheCountIsIgnored) {
    const std::string name = host.programName();
    EXPECT_EQ(host.dispatch(ReqSetProgram, 0, 4), 0);
    EXPECT_EQ(host.program(), 0);
    EXPECT_EQ(host.programName(), name);
    host.setProgram(-1);
    EXPECT_EQ(host.program(), 0) << "negative program numbers are ignored";
}

TEST_F(ModuleTest, BlockAndRateRequestStoresWithoutRebuilding) {
    host.clearCalls();
    EXPECT_EQ(host.dispatch(ReqBlockAndRate, 0, 4096, nullptr, 48000.0f), 1);
    EXPECT_EQ(host.countCalls(HostPinConnected), 0u) << "a rebuild would ask for the wiring";
    host.setBlockSize(4096);
    EXPECT_EQ(host.countCalls(HostPinConnected), 4u);
}

TEST_F(ModuleTest, ActivationRebuildsOnlyWhenTheWiringChanged) {
    host.clearCalls();
    host.setActive(true);
    EXPECT_EQ(host.countCalls(HostPinConnected), 4u) << "wiring unchanged: counted, not rebuilt";
    host.settings().unwiredInputs.insert(1);
    host.clearCalls();
    host.dispatch(ReqSetActive, 0, 2);
    EXPECT_EQ(host.countCalls(HostPinConnected), 8u) << "counted, then rebuilt";
    host.clearCalls();
    host.setActive(true);
    EXPECT_EQ(host.countCalls(HostPinConnected), 4u) << "same wiring again: no rebuild";
}

TEST_F(ModuleTest, MonoInputIsCopiedToBothOutputs) {
    host.settings().unwiredInputs.insert(1);
    host.setActive(true);
    StereoBuffers buffers(256);
    for (int32_t n = 0; n < 256; ++n)
        buffers.left[n] = 0.5f * std::sin(0.05f * n);
    host.processReplace(buffers.inputs(), buffers.outputs(), 256);
    EXPECT_EQ(buffers.outLeft, buffers.outRight);
    float energy = 0.0f;
    for (float sample : buffers.outLeft)
        energy += sample * sample;
    EXPECT_GT(energy, 0.0f);
}

TEST(ModuleClose, AnswersOneAndFreesEverything) {
    PluginHost host;
    ASSERT_TRUE(host.create(builtModule()));
    host.setSampleRate(48000.0f);
    host.setBlockSize(256);
    EXPECT_EQ(host.close(), 1);
    EXPECT_FALSE(host.isOpen());
}

}  // namespace
}  // namespace marrowfold
