// Host services put their arguments where the host expects them, convert the host's answer,
// and answer their documented default when there is no host at all.
#include <functional>

#include <gtest/gtest.h>

#include "ProbeEffect.h"

namespace marrowfold {
namespace {

using testing::ProbeEffect;
using testing::RecordingHost;

class HostServices : public ::testing::Test {
  protected:
    void SetUp() override { RecordingHost::reset(); }
    ProbeEffect effect{&RecordingHost::receive};
    ProbeEffect hostless{nullptr};
};

struct ExpectedCall {
    const char* service;
    std::function<void(ProbeEffect&)> call;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    bool passesPointer;
    float opt;
};

char marker = 0;

// Every host service with the call it must make; services given an address pass `marker`.
const ExpectedCall kExpectedCalls[] = {
    {"writeParameterAutomated", [](ProbeEffect& e) { e.writeParameterAutomated(5, 0.25f); }, 0, 5,
     0, false, 0.25f},
    {"askCurrentId", [](ProbeEffect& e) { e.askCurrentId(); }, 2, 0, 0, false, 0},
    {"askHostIdle", [](ProbeEffect& e) { e.askHostIdle(); }, 3, 0, 0, false, 0},
    {"isInputWired", [](ProbeEffect& e) { e.isInputWired(1); }, 4, 1, 0, false, 0},
    {"isOutputWired", [](ProbeEffect& e) { e.isOutputWired(1); }, 4, 1, 1, false, 0},
    {"askWantEvents", [](ProbeEffect& e) { e.askWantEvents(9); }, 6, 0, 9, false, 0},
    {"askTimeInfo", [](ProbeEffect& e) { e.askTimeInfo(3); }, 7, 0, 3, false, 0},
    {"askTempoAt", [](ProbeEffect& e) { e.askTempoAt(1000); }, 10, 0, 1000, false, 0},
    {"askAutomatableCount", [](ProbeEffect& e) { e.askAutomatableCount(); }, 11, 0, 0, false, 0},
    {"askQuantization", [](ProbeEffect& e) { e.askQuantization(); }, 12, 0, 0, false, 0},
    {"tellIoChanged", [](ProbeEffect& e) { e.tellIoChanged(); }, 13, 0, 0, false, 0},
    {"tellNeedIdle", [](ProbeEffect& e) { e.tellNeedIdle(); }, 14, 0, 0, false, 0},
    {"askResizeWindow", [](ProbeEffect& e) { e.askResizeWindow(728, 213); }, 15, 728, 213, false,
     0},
    {"refreshSampleRate", [](ProbeEffect& e) { e.refreshSampleRate(); }, 16, 0, 0, false, 0},
    {"refreshBlockSize", [](ProbeEffect& e) { e.refreshBlockSize(); }, 17, 0, 0, false, 0},
    {"askInputLatency", [](ProbeEffect& e) { e.askInputLatency(); }, 18, 0, 0, false, 0},
    {"askOutputLatency", [](ProbeEffect& e) { e.askOutputLatency(); }, 19, 0, 0, false, 0},
    {"askPreviousPlug", [](ProbeEffect& e) { e.askPreviousPlug(4); }, 20, 0, 0, false, 0},
    {"askNextPlug", [](ProbeEffect& e) { e.askNextPlug(4); }, 21, 0, 0, false, 0},
    {"askReplaceOrAccumulate", [](ProbeEffect& e) { e.askReplaceOrAccumulate(); }, 22, 0, 0, false,
     0},
    {"askProcessLevel", [](ProbeEffect& e) { e.askProcessLevel(); }, 23, 0, 0, false, 0},
    {"askAutomationState", [](ProbeEffect& e) { e.askAutomationState(); }, 24, 0, 0, false, 0},
    {"askOfflineStart", [](ProbeEffect& e) { e.askOfflineStart(&marker, 3, 2); }, 25, 2, 3, true,
     0},
    {"askOfflineRead", [](ProbeEffect& e) { e.askOfflineRead(&marker, 6, true); }, 26, 1, 6, true,
     0},
    {"askOfflineWrite", [](ProbeEffect& e) { e.askOfflineWrite(&marker, 6); }, 27, 0, 6, true, 0},
    {"askOfflinePass", [](ProbeEffect& e) { e.askOfflinePass(); }, 28, 0, 0, false, 0},
    {"askOfflineMetaPass", [](ProbeEffect& e) { e.askOfflineMetaPass(); }, 29, 0, 0, false, 0},
    {"askSetOutputRate", [](ProbeEffect& e) { e.askSetOutputRate(22050.0f); }, 30, 0, 0, false,
     22050.0f},
    {"askSpeakers", [](ProbeEffect& e) { e.askSpeakers(reinterpret_cast<void*>(0x40), &marker); },
     31, 0, 0x40, true, 0},
    {"askHostVendor", [](ProbeEffect& e) { e.askHostVendor(&marker); }, 32, 0, 0, true, 0},
    {"askHostProduct", [](ProbeEffect& e) { e.askHostProduct(&marker); }, 33, 0, 0, true, 0},
    {"askHostVendorVersion", [](ProbeEffect& e) { e.askHostVendorVersion(); }, 34, 0, 0, false, 0},
    {"askHostVendorSpecific", [](ProbeEffect& e) { e.askHostVendorSpecific(7, 8, &marker, 0.5f); },
     35, 7, 8, true, 0.5f},
    {"askHostCapability", [](ProbeEffect& e) { e.askHostCapability(&marker); }, 37, 0, 0, true, 0},
    {"askHostLanguage", [](ProbeEffect& e) { e.askHostLanguage(); }, 38, 0, 0, false, 0},
    {"askOpenWindow", [](ProbeEffect& e) { e.askOpenWindow(&marker); }, 39, 0, 0, true, 0},
    {"askCloseWindow", [](ProbeEffect& e) { e.askCloseWindow(&marker); }, 40, 0, 0, true, 0},
    {"askDirectory", [](ProbeEffect& e) { e.askDirectory(); }, 41, 0, 0, false, 0},
    {"tellUpdateDisplay", [](ProbeEffect& e) { e.tellUpdateDisplay(); }, 42, 0, 0, false, 0},
    {"tellBeginEdit", [](ProbeEffect& e) { e.tellBeginEdit(3); }, 43, 3, 0, false, 0},
    {"tellEndEdit", [](ProbeEffect& e) { e.tellEndEdit(3); }, 44, 3, 0, false, 0},
    {"askFileSelector", [](ProbeEffect& e) { e.askFileSelector(&marker); }, 45, 0, 0, true, 0},
};

TEST_F(HostServices, EachServiceSendsItsOpcodeAndArguments) {
    void* p = &marker;
    for (const ExpectedCall& row : kExpectedCalls) {
        RecordingHost::reset();
        row.call(effect);
        ASSERT_EQ(RecordingHost::calls.size(), 1u) << row.service;
        const auto& call = RecordingHost::calls[0];
        EXPECT_EQ(call.record, effect.effectRecord()) << row.service;
        EXPECT_EQ(call.opcode, row.opcode) << row.service;
        EXPECT_EQ(call.index, row.index) << row.service;
        EXPECT_EQ(call.value, row.value) << row.service;
        EXPECT_EQ(call.ptr, row.passesPointer ? p : nullptr) << row.service;
        EXPECT_EQ(call.opt, row.opt) << row.service;
    }
}

TEST_F(HostServices, AnswersAreConverted) {
    RecordingHost::nextAnswer = 0;
    EXPECT_EQ(effect.askHostVersion(), 1) << "a version answer of 0 reads as 1";
    EXPECT_TRUE(effect.isInputWired(0)) << "0 means connected";
    EXPECT_FALSE(effect.tellIoChanged());
    RecordingHost::nextAnswer = 7;
    EXPECT_EQ(effect.askHostVersion(), 7);
    EXPECT_FALSE(effect.isOutputWired(1));
    EXPECT_TRUE(effect.tellIoChanged());
    EXPECT_EQ(effect.askQuantization(), 7);
    EXPECT_EQ(effect.refreshSampleRate(), 44100.0f) << "the stored rate, whatever the answer";
    EXPECT_EQ(effect.refreshBlockSize(), 1024);
}

TEST_F(HostServices, WithoutAHostEveryServiceAnswersItsDefault) {
    EXPECT_EQ(hostless.askHostVersion(), 1);
    EXPECT_TRUE(hostless.isInputWired(0));
    EXPECT_TRUE(hostless.isOutputWired(1));
    EXPECT_FALSE(hostless.tellIoChanged());
    EXPECT_EQ(hostless.askCurrentId(), 0);
    EXPECT_EQ(hostless.askTimeInfo(0), nullptr);
    EXPECT_FALSE(hostless.askResizeWindow(10, 10));
    EXPECT_FALSE(hostless.tellBeginEdit(1));
    hostless.setBlockAndRate(512, 22050.0f);
    EXPECT_EQ(hostless.refreshSampleRate(), 22050.0f);
    EXPECT_EQ(hostless.refreshBlockSize(), 512);
    EXPECT_EQ(hostless.writeParameterAutomated(1, 0.5f), 0);
    hostless.askHostIdle();
}

TEST_F(HostServices, FileSelectorWithoutSelectorDoesNotAskTheHost) {
    RecordingHost::nextAnswer = 1;
    EXPECT_FALSE(effect.askFileSelector(nullptr));
    EXPECT_TRUE(RecordingHost::calls.empty());
}

}  // namespace
}  // namespace marrowfold
