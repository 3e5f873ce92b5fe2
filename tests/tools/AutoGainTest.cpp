// Auto gain through the built module, driven as a host drives it: for every factory preset, on
// the demo input played twice and on pink noise at -18 dBFS, the output's integrated loudness over
// the last 60 % is within 1 LU of the input's, and the gain applied there stays within 0.5 dB of
// its middle.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/LoudnessMeter.h"
#include "host/DemoSignal.h"
#include "host/EffectSession.h"
#include "tests/common/FactoryNames.h"
#include "tests/common/PinkNoise.h"

namespace marrowfold {
namespace {

constexpr int32_t kStereo = 2;
constexpr int32_t kBlock = 512;
constexpr double kSettledShare = 0.4;  // the first 40 % is left to the gain to settle
constexpr double kNoiseSeconds = 12.0;
constexpr double kNoiseDecibels = -18.0;
constexpr double kLoudnessToleranceLu = 1.0;
constexpr float kGainSwingDecibels = 1.0f;  // +-0.5 dB

struct Take {
    std::string name;
    int32_t sampleRate;
    std::vector<float> interleaved;
};

std::vector<Take> takes() {
    const StereoSignal demo = synthesizeDemoSignal();
    std::vector<float> twice = demo.interleaved;
    twice.insert(twice.end(), demo.interleaved.begin(), demo.interleaved.end());
    const auto noiseFrames = static_cast<int64_t>(kNoiseSeconds * demo.sampleRate);
    return {{"demo twice", demo.sampleRate, twice},
            {"pink noise", demo.sampleRate,
             testing::pinkNoise(kStereo, noiseFrames, kNoiseDecibels, 1)}};
}

// Integrated loudness of interleaved stereo frames from first on.
double integratedLoudness(const std::vector<float>& interleaved, size_t first, int32_t rate) {
    std::vector<float> left;
    std::vector<float> right;
    for (size_t i = first * kStereo; i < interleaved.size(); i += kStereo) {
        left.push_back(interleaved[i]);
        right.push_back(interleaved[i + 1]);
    }
    LoudnessMeter meter(rate, kStereo);
    const float* planes[] = {left.data(), right.data()};
    meter.process(planes, static_cast<int32_t>(left.size()));
    return meter.integratedLkfs();
}

struct Outcome {
    double loudnessDifference = 0.0;
    float lowestGain = 0.0f;
    float highestGain = 0.0f;
};

Outcome runPreset(int32_t program, int32_t preset, const Take& take) {
    EffectSession session(MARROWFOLD_MODULE_PATH, kStereo);
    session.prepare(static_cast<float>(take.sampleRate), kBlock);
    session.selectProgram(std::to_string(program));
    session.selectPreset(preset);
    session.setAutoGain(true);
    session.activate();
    const size_t frames = take.interleaved.size() / kStereo;
    const auto settled = static_cast<size_t>(kSettledShare * static_cast<double>(frames));
    std::vector<float> output(take.interleaved.size());
    Outcome outcome{0.0, 1e9f, -1e9f};
    for (size_t done = 0; done < frames; done += kBlock) {
        const auto block = static_cast<int32_t>(std::min<size_t>(kBlock, frames - done));
        session.process(&take.interleaved[done * kStereo], &output[done * kStereo], block);
        if (done < settled) continue;
        const float gain = session.autoGainDecibels();
        outcome.lowestGain = std::min(outcome.lowestGain, gain);
        outcome.highestGain = std::max(outcome.highestGain, gain);
    }
    outcome.loudnessDifference = integratedLoudness(output, settled, take.sampleRate) -
                                 integratedLoudness(take.interleaved, settled, take.sampleRate);
    return outcome;
}

TEST(AutoGainTest, EveryFactoryPresetComesOutAsLoudAsItsInput) {
    const std::vector<Take> signals = takes();
    const auto& programs = testing::factoryPresetNames();
    for (int32_t program = 0; program < static_cast<int32_t>(programs.size()); ++program) {
        for (int32_t preset = 0; preset < static_cast<int32_t>(programs[program].size());
             ++preset) {
            for (const Take& take : signals) {
                SCOPED_TRACE(programs[program][preset] + " on " + take.name);
                const Outcome outcome = runPreset(program, preset, take);
                EXPECT_NEAR(outcome.loudnessDifference, 0.0, kLoudnessToleranceLu);
                EXPECT_LE(outcome.highestGain - outcome.lowestGain, kGainSwingDecibels)
                    << "from " << outcome.lowestGain << " to " << outcome.highestGain << " dB";
            }
        }
    }
}

}  // namespace
}  // namespace marrowfold
