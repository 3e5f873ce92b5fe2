// The hand-over from the audio thread: nothing is captured while no window is open, input and
// output stay in step as pairs, a block that does not fit is left out whole, and the band meters
// read a tone in its own band only, at the level of that band's output heard alone.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/VendorRequests.h"
#include "dsp/BandShaper.h"
#include "effect/AnalysisTap.h"
#include "effect/MultibandEffect.h"
#include "params/ParameterIndex.h"

namespace marrowfold {
namespace {

float decibels(float value) {
    return 20.0f * std::log10(value);
}

// Runs one block through the tap with the input x and the output -2x on two channels.
BandLevels* runBlock(AnalysisTap& tap, const std::vector<float>& x) {
    std::vector<float> doubled(x.size());
    for (size_t n = 0; n < x.size(); ++n)
        doubled[n] = -2.0f * x[n];
    const float* in[2] = {x.data(), x.data()};
    const float* out[2] = {doubled.data(), doubled.data()};
    const int32_t frames = static_cast<int32_t>(x.size());
    BandLevels* levels = tap.beginBlock(in, 2, frames);
    tap.endBlock(out, 2, frames);
    return levels;
}

TEST(AnalysisTapTest, CapturesOnlyWhileOpenAndKeepsTheStreamsInStep) {
    AnalysisTap tap;
    const std::vector<float> ramp = {0.1f, -0.4f, 0.3f, 0.2f};
    EXPECT_EQ(runBlock(tap, ramp), nullptr);
    tap.open();
    EXPECT_NE(runBlock(tap, ramp), nullptr);
    tap.close();
    EXPECT_EQ(runBlock(tap, ramp), nullptr);

    float in[16];
    float out[16];
    ASSERT_EQ(tap.takeSamples(in, out, 16), ramp.size());
    for (size_t n = 0; n < ramp.size(); ++n) {
        EXPECT_FLOAT_EQ(in[n], ramp[n]);
        EXPECT_FLOAT_EQ(out[n], -2.0f * ramp[n]);
    }
    BlockLevels block[4];
    ASSERT_EQ(tap.takeBlocks(block, 4), 1u);
    EXPECT_EQ(block[0].frames, 4);
    EXPECT_FLOAT_EQ(block[0].inputPeak, 0.4f);
    EXPECT_FLOAT_EQ(block[0].outputPeak, 0.8f);
    EXPECT_FLOAT_EQ(block[0].inputSquares, 0.01f + 0.16f + 0.09f + 0.04f);
    EXPECT_FLOAT_EQ(block[0].outputSquares, 4.0f * (0.01f + 0.16f + 0.09f + 0.04f));
}

TEST(AnalysisTapTest, BlocksThatDoNotFitAreLeftOutWhole) {
    AnalysisTap tap;
    tap.open();
    const size_t block = AnalysisTap::kSampleCapacity / 4 + 1;
    std::vector<float> x(block, 0.25f);
    int32_t taken = 0;
    for (int32_t b = 0; b < 5; ++b)
        taken += runBlock(tap, x) != nullptr;
    EXPECT_EQ(taken, 3);
    std::vector<float> in(AnalysisTap::kSampleCapacity);
    std::vector<float> out(AnalysisTap::kSampleCapacity);
    EXPECT_EQ(tap.takeSamples(in.data(), out.data(), in.size()), 3 * block);
    // Reopening forgets what the last window left behind.
    runBlock(tap, x);
    tap.close();
    tap.open();
    EXPECT_EQ(tap.takeSamples(in.data(), out.data(), in.size()), 0u);
}

intptr_t quietHost(EffectRecord*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == HostVersion ? 2400 : 0;
}

// Takes what an editor would.
void drain(AnalysisTap& tap) {
    std::vector<float> samples(AnalysisTap::kSampleCapacity);
    tap.takeSamples(samples.data(), samples.data(), samples.size());
    std::vector<BlockLevels> blocks(AnalysisTap::kBlockCapacity);
    tap.takeBlocks(blocks.data(), blocks.size());
}

// The host meters' readings, one per meter.
std::array<float, HostMeterCount> hostMeterReadings(MultibandEffect& effect) {
    std::array<float, HostMeterCount> readings{};
    effect.vendorSpecific(kMeterRequestIndex, kMeterRequestValue, readings.data(), 0.0f);
    return readings;
}

// The same noise, with a NaN now and then, through two effects, one with its hand-over open (and
// read, for the first half, as an editor would; then left to fill), in both process modes, at the
// base rate and oversampled: the outputs and the host meters' readings, which come from the
// hand-over's levels for the blocks it captures, are the same bit for bit.
class OpenWindowTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(OpenWindowTest, LeavesTheAudioAndTheHostMetersBitForBitAsTheyWere) {
    constexpr int32_t kBlock = 512;
    constexpr int32_t kBlocks = 200;
    // A peak, then a NaN one vector later in its lane of the tap's vector loop: the NaN must not
    // hide the peak.
    constexpr size_t kPeakAt = 464;
    constexpr size_t kNanAt = kPeakAt + 16;
    std::array<std::unique_ptr<MultibandEffect>, 2> effects;
    for (auto& effect : effects) {
        effect = std::make_unique<MultibandEffect>(&quietHost);
        ASSERT_TRUE(effect->initialize());
        effect->changeSampleRate(44100.0f);
        effect->changeBlockSize(kBlock);
        effect->onActivate();
        effect->writeParameter(ParamIn, 0.8f);
        ASSERT_EQ(effect->vendorSpecific(kOversamplingRequestIndex, kOversamplingRequestValue,
                                         nullptr, static_cast<float>(GetParam())),
                  1);
        hostMeterReadings(*effect);
    }
    effects[1]->analysisTap()->open();
    std::mt19937 random(11);
    std::uniform_real_distribution<float> sample(-0.9f, 0.9f);
    for (int32_t block = 0; block < kBlocks; ++block) {
        std::array<std::vector<float>, 2> buffers;
        buffers[0].resize(2 * kBlock);
        for (float& x : buffers[0])
            x = sample(random);
        if (block % 10 == 3) {
            buffers[0][kPeakAt + block % 16] = 0.95f;
            buffers[0][kNanAt + block % 16] = std::nanf("");
        }
        buffers[1] = buffers[0];
        std::array<std::vector<float>, 2> outputs{std::vector<float>(2 * kBlock, 0.1f),
                                                  std::vector<float>(2 * kBlock, 0.1f)};
        for (size_t e = 0; e < effects.size(); ++e) {
            float* in[2] = {buffers[e].data(), buffers[e].data() + kBlock};
            float* out[2] = {outputs[e].data(), outputs[e].data() + kBlock};
            const int32_t frames = kBlock - block % 7;
            if (block % 2) {
                effects[e]->processAdd(in, out, frames);
            } else {
                effects[e]->processReplace(in, out, frames);
            }
        }
        ASSERT_EQ(std::memcmp(outputs[0].data(), outputs[1].data(), outputs[0].size() * 4), 0)
            << "block " << block;
        ASSERT_EQ(std::memcmp(buffers[0].data(), buffers[1].data(), buffers[0].size() * 4), 0)
            << "block " << block;
        ASSERT_EQ(hostMeterReadings(*effects[0]), hostMeterReadings(*effects[1]))
            << "block " << block;
        if (block < kBlocks / 2) drain(*effects[1]->analysisTap());
    }
    BlockLevels taken[4];
    EXPECT_EQ(effects[1]->analysisTap()->takeBlocks(taken, 4), 4u) << "the open one captured";
}

INSTANTIATE_TEST_SUITE_P(Factors, OpenWindowTest, ::testing::Values(1, 8));

// Sequence numbers pushed from one thread arrive in order on another, none lost or repeated.
TEST(AnalysisTapTest, RingHandsOverInOrderBetweenThreads) {
    SpscRing<uint32_t> ring(256);
    constexpr uint32_t kCount = 200000;
    std::thread producer([&] {
        uint32_t next = 0;
        while (next < kCount) {
            const size_t chunk = std::min<size_t>(37, kCount - next);
            if (ring.pushEach(chunk, [&](size_t i) { return next + static_cast<uint32_t>(i); }))
                next += static_cast<uint32_t>(chunk);
        }
    });
    uint32_t expected = 0;
    uint32_t items[64];
    while (expected < kCount) {
        const size_t n = ring.pop(items, 64);
        for (size_t i = 0; i < n; ++i)
            ASSERT_EQ(items[i], expected++);
    }
    producer.join();
}

// A tone in the middle of band 2 through every kernel set, at the base rate and oversampled:
// band 2's meter reads the level of band 2's output alone (solo) within 0.5 dB, every other band
// stays far below, and the output is bit for bit that of an unmetered shaper.
TEST(AnalysisTapTest, BandMetersReadTheToneInItsOwnBandOnly) {
    constexpr int32_t kRate = 44100;
    constexpr int32_t kFrames = 8192;
    constexpr int32_t kToneBand = 1;
    for (const int32_t factor : {1, 8}) {
        for (const KernelSet set : kAllKernelSets) {
            if (!kernelSetAvailable(set)) continue;
            const std::string label =
                std::string(kernelSetName(set)) + " at factor " + std::to_string(factor);
            std::array<std::unique_ptr<BandShaper>, 3> shapers;  // metered, unmetered, solo
            for (auto& shaper : shapers) {
                shaper = std::make_unique<BandShaper>(kRate, 2, kFrames, kBandCount, 4);
                ASSERT_TRUE(shaper->useKernelSet(set));
                ASSERT_TRUE(shaper->setOversampling(factor));
            }
            shapers[2]->selectSoloBand(kToneBand);
            const BandSpec& band = shapers[0]->bandSpec(kToneBand);
            const double hz = std::sqrt(band.lower * band.upper);
            std::vector<float> tone(kFrames);
            for (int32_t n = 0; n < kFrames; ++n)
                tone[static_cast<size_t>(n)] =
                    0.3f * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * n / kRate));
            std::array<std::vector<float>, 3> outputs;
            BandLevels levels;
            shapers[0]->meterBandsInto(&levels);
            for (size_t s = 0; s < shapers.size(); ++s) {
                outputs[s].resize(kFrames);
                const float* in[2] = {tone.data(), tone.data()};
                float* out[2] = {outputs[s].data(), outputs[s].data()};
                shapers[s]->process(const_cast<float* const*>(in), out, kFrames);
            }
            EXPECT_EQ(std::memcmp(outputs[0].data(), outputs[1].data(), kFrames * sizeof(float)), 0)
                << label;

            float peak = 0.0f;
            double squares = 0.0;
            for (const float x : outputs[2]) {
                peak = std::max(peak, std::fabs(x));
                squares += static_cast<double>(x) * x;
            }
            const float rms = static_cast<float>(std::sqrt(squares / kFrames));
            const float meteredRms = std::sqrt(levels.squares[kToneBand] / (2.0f * kFrames));
            EXPECT_NEAR(decibels(levels.peak[kToneBand]), decibels(peak), 0.5f) << label;
            EXPECT_NEAR(decibels(meteredRms), decibels(rms), 0.5f) << label;
            for (int32_t b = 0; b < kBandCount; ++b) {
                if (b == kToneBand) continue;
                EXPECT_LT(decibels(levels.peak[static_cast<size_t>(b)]), decibels(peak) - 12.0f)
                    << label << " band " << b;
            }
        }
    }
}

}  // namespace
}  // namespace marrowfold
