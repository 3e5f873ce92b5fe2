// One plug-in instance driven by three threads at once, as a host drives it: the audio thread
// processes blocks without pause, a host thread writes parameters, switches programs and saves
// and restores chunks, and a user-interface thread runs the editor's idle and the editor-side
// requests and writes, and changes the oversampling factor, while a fourth thread switches bypass,
// the dry/wet mix and smoothing as fast as it can. Nothing may crash, every sample must
// stay finite and within the loudest setting's reach (and the resampling's ringing), and the state
// left behind must save and restore to the same chunk.
#include <atomic>
#include <cmath>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/HostEditor.h"
#include "core/VendorRequests.h"
#include "dsp/Oversampling.h"
#include "params/ChunkLayout.h"
#include "tests/integration/ModuleFixture.h"
#include "tests/stress/StressSupport.h"

namespace marrowfold {
namespace {

using testing::builtModule;
using testing::kLoudestOutput;
using testing::StereoBuffers;

constexpr int32_t kBlockSize = 512;
constexpr int32_t kHostParameters = kHostParameterCount;
constexpr int32_t kEditParameter = ParamEdit;
constexpr int32_t kSoloParameter = ParamSolo;
constexpr float kTwoPi = 6.2831853f;

struct SharedCounters {
    std::atomic<bool> stop{false};
    std::atomic<int64_t> blocks{0};
    std::atomic<int64_t> badSamples{0};
    std::atomic<float> firstBadSample{0.0f};
    std::atomic<int64_t> hostCalls{0};
    std::atomic<int64_t> editorCalls{0};
    std::atomic<int64_t> settingCalls{0};
    std::atomic<int64_t> wrongAnswers{0};
};

void fillSignal(StereoBuffers& buffers, int32_t frames, float amplitude, float cycles) {
    for (int32_t n = 0; n < frames; ++n) {
        const float sample = amplitude * std::sin(kTwoPi * cycles * n / frames);
        buffers.left[n] = sample;
        buffers.right[n] = -0.5f * sample;
    }
}

void checkBlock(const StereoBuffers& buffers, int32_t frames, SharedCounters& shared) {
    for (const std::vector<float>* channel : {&buffers.outLeft, &buffers.outRight}) {
        for (int32_t n = 0; n < frames; ++n) {
            const float sample = (*channel)[n];
            if (std::isfinite(sample) &&
                std::fabs(sample) <= kLoudestOutput * testing::kResamplingPeakGain) {
                continue;
            }
            if (shared.badSamples.fetch_add(1) == 0) shared.firstBadSample = sample;
        }
    }
}

// The audio thread: blocks of any length up to the announced size, through both entry points.
void processBlocks(PluginHost& host, SharedCounters& shared) {
    StereoBuffers buffers(kBlockSize);
    std::mt19937 random(1);
    std::uniform_int_distribution<int32_t> frameCount(1, kBlockSize);
    std::uniform_real_distribution<float> amplitude(0.0f, 1.5f);
    while (!shared.stop) {
        const int32_t frames = frameCount(random);
        fillSignal(buffers, frames, amplitude(random), 1.0f + static_cast<float>(random() % 40));
        std::fill(buffers.outLeft.begin(), buffers.outLeft.end(), 0.0f);
        std::fill(buffers.outRight.begin(), buffers.outRight.end(), 0.0f);
        if (random() % 2 == 0) {
            host.processReplace(buffers.inputs(), buffers.outputs(), frames);
        } else {
            host.processAdd(buffers.inputs(), buffers.outputs(), frames);
        }
        checkBlock(buffers, frames, shared);
        ++shared.blocks;
    }
}

// The host's own thread: automation, program changes, and project saves and loads.
void driveHost(PluginHost& host, SharedCounters& shared) {
    std::mt19937 random(2);
    std::uniform_real_distribution<float> hostValue(0.0f, 1.0f);
    std::vector<uint8_t> savedProgram = host.saveChunk(true);
    std::vector<uint8_t> savedBank = host.saveChunk(false);
    while (!shared.stop) {
        switch (random() % 8) {
            case 0:
                host.setProgram(static_cast<int32_t>(random() % kProgramCount));
                break;
            case 1:
                savedProgram = host.saveChunk(true);
                break;
            case 2:
                host.restoreChunk(savedProgram, true);
                break;
            case 3:
                if (random() % 4 == 0) savedBank = host.saveChunk(false);
                host.restoreChunk(savedBank, false);
                break;
            case 4:
                host.renameProgram("Stress " + std::to_string(random() % 100));
                host.programName();
                break;
            default:
                host.setParameter(static_cast<int32_t>(random() % kHostParameters),
                                  hostValue(random));
                host.getParameter(static_cast<int32_t>(random() % kHostParameters));
                break;
        }
        ++shared.hostCalls;
    }
}

// The user-interface thread: the editor's idle, the requests a host sends to an editor whose
// window is closed, and the writes the editor makes to its own parameters.
void driveEditor(PluginHost& host, SharedCounters& shared) {
    std::mt19937 random(3);
    while (!shared.stop) {
        host.dispatch(ReqEditorIdle);
        switch (random() % 7) {
            case 0: {
                EditorRect* rect = nullptr;
                host.dispatch(ReqEditorRect, 0, 0, &rect);
                break;
            }
            case 1:
                host.dispatch(ReqVendorSpecific, fourCharCode("xpMW"), fourCharCode("Whee"),
                              nullptr, random() % 2 ? 1.0f : -1.0f);
                break;
            case 2:
                host.dispatch(ReqKnobMode, 0, static_cast<intptr_t>(random() % 3));
                host.dispatch(ReqKeyDown, 'a', 0);
                host.dispatch(ReqKeyUp, 'a', 0);
                break;
            case 3:
                host.setParameter(kEditParameter, static_cast<float>(random() % 2));
                break;
            case 4:
                host.setParameter(kSoloParameter, static_cast<float>(random() % 5) - 1.0f);
                break;
            case 5:
                host.dispatch(ReqVendorSpecific, kOversamplingRequestIndex,
                              kOversamplingRequestValue, nullptr,
                              static_cast<float>(random() % (kMaxOversamplingFactor + 2)));
                break;
            default:
                std::this_thread::yield();
                break;
        }
        ++shared.editorCalls;
    }
}

// Bypass, mix and smoothing switched without pause, with valid arguments, which must be taken,
// and broken ones, which must be refused.
void switchSoundSettings(PluginHost& host, SharedCounters& shared) {
    struct Setting {
        int32_t index;
        int32_t value;
        float argument;
        bool valid;
    };
    const Setting kSettings[] = {
        {kBypassRequestIndex, kBypassRequestValue, 1.0f, true},
        {kBypassRequestIndex, kBypassRequestValue, 0.0f, true},
        {kMixRequestIndex, kMixRequestValue, 0.0f, true},
        {kMixRequestIndex, kMixRequestValue, 37.5f, true},
        {kMixRequestIndex, kMixRequestValue, 100.0f, true},
        {kSmoothingRequestIndex, kSmoothingRequestValue, 1.0f, true},
        {kSmoothingRequestIndex, kSmoothingRequestValue, 0.0f, true},
        {kMixRequestIndex, kMixRequestValue, NAN, false},
        {kMixRequestIndex, kMixRequestValue, -1.0f, false},
        {kBypassRequestIndex, kBypassRequestValue, 0.5f, false},
    };
    std::mt19937 random(4);
    while (!shared.stop) {
        const Setting& setting = kSettings[random() % std::size(kSettings)];
        const intptr_t answer = host.dispatch(ReqVendorSpecific, setting.index, setting.value,
                                              nullptr, setting.argument);
        if (answer != (setting.valid ? 1 : 0)) ++shared.wrongAnswers;
        ++shared.settingCalls;
    }
}

TEST(ThreadStress, AudioHostAndEditorThreadsTogether) {
#ifndef MARROWFOLD_WITH_EDITOR
    GTEST_SKIP() << "this module is built without the editor";
#endif
    ASSERT_TRUE(builtModule().isOpen()) << builtModule().error();
    PluginHost host;
    ASSERT_TRUE(host.create(builtModule()));
    ASSERT_TRUE(host.record()->flags & FlagEditor) << "the editor thread needs an editor object";
    host.setSampleRate(44100.0f);
    host.setBlockSize(kBlockSize);
    host.setActive(true);

    SharedCounters shared;
    std::thread audio(processBlocks, std::ref(host), std::ref(shared));
    std::thread hostThread(driveHost, std::ref(host), std::ref(shared));
    std::thread editor(driveEditor, std::ref(host), std::ref(shared));
    std::thread settings(switchSoundSettings, std::ref(host), std::ref(shared));
    std::this_thread::sleep_for(testing::stressDuration());
    shared.stop = true;
    audio.join();
    hostThread.join();
    editor.join();
    settings.join();

    EXPECT_GT(shared.blocks.load(), 0);
    EXPECT_GT(shared.hostCalls.load(), 0);
    EXPECT_GT(shared.editorCalls.load(), 0);
    EXPECT_GT(shared.settingCalls.load(), 0);
    EXPECT_EQ(shared.wrongAnswers.load(), 0) << "answers other than expected";
    EXPECT_EQ(shared.badSamples.load(), 0)
        << "first sample out of bounds: " << shared.firstBadSample.load();

    for (bool isProgram : {true, false}) {
        const std::vector<uint8_t> saved = host.saveChunk(isProgram);
        ASSERT_EQ(host.restoreChunk(saved, isProgram), 0);
        EXPECT_EQ(host.saveChunk(isProgram), saved) << (isProgram ? "program" : "bank");
    }
}

}  // namespace
}  // namespace marrowfold
