// Oversampled shaping: the half-band stages as they run (pass band, stop band), the engine's
// latency against its factor-1 output, the alias energy at a few factors, refused factors, and
// the clip indicator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "dsp/AntialiasedShaping.h"
#include "dsp/DspEngine.h"
#include "dsp/KernelSet.h"
#include "dsp/OversampledShaping.h"
#include "dsp/Oversampling.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"
#include "tests/common/AliasMeter.h"
#include "tests/dsp/DspTestSupport.h"

namespace marrowfold {
namespace {

using test::kPi;

constexpr double kRate = 44100.0;
constexpr int32_t kBlock = 256;

// One stage up or down from silence on the reference kernels, over the whole signal.
std::vector<float> upStage(int32_t stage, const std::vector<float>& in,
                           ResamplingRounding rounding = processorRounding()) {
    const ReferenceResampling& kernels = referenceResampling(rounding);
    std::vector<float> out(2 * in.size());
    const int32_t frames = static_cast<int32_t>(in.size());
    if (stage == 0) {
        HalfbandHistory history{};
        kernels.upsample(firstStage(), history, 0, in.data(), out.data(), frames);
    } else {
        std::vector<float> padded(kMaxFirUpHistory, 0.0f);
        padded.insert(padded.end(), in.begin(), in.end());
        kernels.upsampleFir(firStages()[stage], padded.data() + kMaxFirUpHistory, out.data(),
                            frames);
    }
    return out;
}

std::vector<float> downStage(int32_t stage, const std::vector<float>& in,
                             ResamplingRounding rounding = processorRounding()) {
    const ReferenceResampling& kernels = referenceResampling(rounding);
    std::vector<float> out(in.size() / 2);
    const int32_t frames = static_cast<int32_t>(out.size());
    if (stage == 0) {
        HalfbandHistory history{};
        kernels.downsample(firstStage(), history, 0, in.data(), out.data(), frames);
    } else {
        std::vector<float> padded(kMaxFirDownHistory, 0.0f);
        padded.insert(padded.end(), in.begin(), in.end());
        kernels.downsampleFir(firStages()[stage], padded.data() + kMaxFirDownHistory, out.data(),
                              frames);
    }
    return out;
}

// |response| in dB of a stage's up path at frequency (a fraction of its higher rate), from the
// impulse response the float kernel produces.
double upResponseDb(int32_t stage, double frequency) {
    constexpr int32_t kInputs = 2048;
    std::vector<float> impulse(kInputs, 0.0f);
    impulse[0] = 1.0f;
    const std::vector<float> response = upStage(stage, impulse);
    std::complex<double> sum = 0.0;
    for (size_t n = 0; n < response.size(); ++n)
        sum += static_cast<double>(response[n]) * std::polar(1.0, -2.0 * kPi * frequency * n);
    // Zero-stuffing halves the gain the filter restores; the up path's pass band is at 1.
    return 20.0 * std::log10(std::abs(sum) / 2.0);
}

TEST(OversamplingTest, EveryStageIsFlatInItsPassBandAndStopsItsImages) {
    struct Row {
        int32_t stage;
        double passDb;  // at most this far from unit gain in the pass band
        double stopDb;  // at least this much attenuation from the image of the pass band on
    };
    constexpr Row kRows[] = {
        {0, 0.001, 105.0}, {1, 0.002, 74.0}, {2, 0.002, 75.0}, {3, 0.008, 60.0}};
    constexpr int32_t kProbes = 200;
    for (const Row& row : kRows) {
        SCOPED_TRACE("stage " + std::to_string(row.stage));
        const double passEdge = kOversamplingPassBand / static_cast<double>(2 << row.stage);
        double passWorst = 0.0;
        double stopWorst = -400.0;
        for (int32_t i = 0; i <= kProbes; ++i) {
            const double pass = upResponseDb(row.stage, passEdge * i / kProbes);
            passWorst = std::max(passWorst, std::fabs(pass));
            const double stop = 0.5 - passEdge + passEdge * i / kProbes;
            stopWorst = std::max(stopWorst, upResponseDb(row.stage, stop));
        }
        EXPECT_LT(passWorst, row.passDb);
        EXPECT_LT(stopWorst, -row.stopDb);
    }
}

// The absolute sum of the whole down-sampling chain's impulse response bounds how far its output
// can ring past its input's peak; the stress tests allow for 4.5 times the loudest output.
TEST(OversamplingTest, DownSamplingRingsBoundedly) {
    constexpr double kPeakGain = 4.5;
    constexpr int32_t kOutputs = 2048;
    constexpr int32_t kImpulseAt = 64;
    for (int32_t stages = 1; stages <= kMaxOversamplingStages; ++stages) {
        const int32_t factor = 1 << stages;
        double sum = 0.0;
        // An impulse at every phase of the oversampled period meets every tap once.
        for (int32_t phase = 0; phase < factor; ++phase) {
            std::vector<float> signal(static_cast<size_t>(kOutputs * factor), 0.0f);
            signal[kImpulseAt * factor + phase] = 1.0f;
            for (int32_t s = stages - 1; s >= 0; --s)
                signal = downStage(s, signal);
            for (const float value : signal)
                sum += std::fabs(value);
        }
        EXPECT_GT(sum, 1.0) << factor;
        EXPECT_LT(sum, kPeakGain) << factor;
    }
}

// Fused rounding changes only the last bits: every stage, up and down, over noise, stays within a
// few float steps of the separately rounded one, and does differ from it somewhere (so the fused
// kernels are not the separate ones under another name).
TEST(OversamplingTest, FusedRoundingMovesOnlyTheLastBits) {
    if (processorRounding() != ResamplingRounding::Fused) GTEST_SKIP() << "no fused multiply-add";
    constexpr float kMostApart = 4e-6f;
    const std::vector<float> signal = test::noise(4096, 7, 0.5f);
    using Stage = std::vector<float> (*)(int32_t, const std::vector<float>&, ResamplingRounding);
    for (const Stage run : {Stage{&upStage}, Stage{&downStage}}) {
        for (int32_t stage = 0; stage < kMaxOversamplingStages; ++stage) {
            SCOPED_TRACE("stage " + std::to_string(stage));
            const std::vector<float> fused = run(stage, signal, ResamplingRounding::Fused);
            const std::vector<float> separate = run(stage, signal, ResamplingRounding::Separate);
            float apart = 0.0f;
            for (size_t n = 0; n < fused.size(); ++n)
                apart = std::max(apart, std::fabs(fused[n] - separate[n]));
            EXPECT_GT(apart, 0.0f);
            EXPECT_LT(apart, kMostApart);
        }
    }
}

// Runs a quiet two-tone signal through an engine at factor and returns its output.
std::vector<float> quietRender(int32_t factor, int32_t frames) {
    DistortionParameters model;
    DspEngine engine(kBlock, 1, kRate, 0);
    EXPECT_TRUE(engine.requestOversampling(factor));
    engine.applyChanges(model);
    std::vector<float> signal(static_cast<size_t>(frames));
    for (int32_t n = 0; n < frames; ++n) {
        const double t = n / kRate;
        signal[n] = static_cast<float>(0.01 * std::sin(2.0 * kPi * 440.0 * t) +
                                       0.01 * std::sin(2.0 * kPi * 3100.0 * t));
    }
    for (int32_t done = 0; done < frames; done += kBlock) {
        float* block = signal.data() + done;
        engine.process(&block, &block, std::min(kBlock, frames - done), OutputMode::Replace);
    }
    return signal;
}

// Where the curve is nearly linear, the oversampled output is the factor-1 output delayed by the
// reported latency, up to the resampling's small phase error.
TEST(OversamplingTest, OutputIsTheFactorOneOutputDelayedByTheLatency) {
    constexpr int32_t kFrames = 8192;
    constexpr int32_t kSkip = 2048;
    const std::vector<float> plain = quietRender(1, kFrames);
    for (int32_t stages = 1; stages <= kMaxOversamplingStages; ++stages) {
        const int32_t factor = 1 << stages;
        SCOPED_TRACE("factor " + std::to_string(factor));
        DspEngine probe(kBlock, 1, kRate, 0);
        probe.requestOversampling(factor);
        const int32_t latency = probe.latency();
        EXPECT_GT(latency, 0);
        const std::vector<float> oversampled = quietRender(factor, kFrames);
        double error = 0.0;
        double energy = 0.0;
        for (int32_t n = kSkip; n < kFrames; ++n) {
            const double difference = oversampled[n] - plain[n - latency];
            error += difference * difference;
            energy += static_cast<double>(plain[n - latency]) * plain[n - latency];
        }
        EXPECT_LT(10.0 * std::log10(error / energy), -30.0);
    }
}

TEST(OversamplingTest, AliasEnergyFallsWithTheFactor) {
    struct Row {
        AliasCase measured;
        double lowestDb;
        double highestDb;
    };
    constexpr int32_t kSoft = 0;
    constexpr int32_t kWarm = 1;
    constexpr int32_t kHard = 4;
    // Oversampled, the smooth curve has none of the table's steps between entries, which held
    // Soft at 1 kHz near -110 dBc and Hard at 1 kHz near -91 dBc at 16x.
    constexpr Row kRows[] = {
        {{kHard, 5000.0, 0.0f, 1}, -18.0, -13.0},    {{kHard, 5000.0, 0.0f, 4}, -39.0, -32.0},
        {{kHard, 5000.0, 0.0f, 16}, -75.0, -65.0},   {{kWarm, 5000.0, 0.0f, 16}, -200.0, -80.0},
        {{kHard, 1000.0, 12.0f, 8}, -70.0, -50.0},   {{kSoft, 1000.0, 0.0f, 2}, -200.0, -125.0},
        {{kHard, 1000.0, 0.0f, 16}, -200.0, -100.0},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE("shape " + std::to_string(row.measured.shape) + ", factor " +
                     std::to_string(row.measured.factor));
        const double alias = aliasDecibels(row.measured, fastestKernelSet());
        EXPECT_GT(alias, row.lowestDb);
        EXPECT_LT(alias, row.highestDb);
    }
}

// The rows and sums are read and written a 64-byte vector at a time; off a cache line, most such
// accesses straddle two lines and the oversampled shaping runs a tenth slower or more.
TEST(OversamplingTest, RowsAndSumsStartOnCacheLines) {
    constexpr uintptr_t kLine = 64;
    const LaneKernelSet* set = laneKernelSet(fastestKernelSet());
    ASSERT_NE(set, nullptr);
    for (int32_t stages = 1; stages <= kMaxOversamplingStages; ++stages) {
        OversampledShaping shaping(2, 4);
        shaping.setFactor(1 << stages);
        const std::vector<float> rows(static_cast<size_t>(8 * shaping.chunkFrames()), 0.25f);
        const float* up = shaping.upsampleRows(set->stereo, rows.data(), shaping.chunkFrames());
        EXPECT_EQ(reinterpret_cast<uintptr_t>(up) % kLine, 0u) << (1 << stages);
        for (int32_t ch = 0; ch < 2; ++ch)
            EXPECT_EQ(reinterpret_cast<uintptr_t>(shaping.sums()[ch]) % kLine, 0u) << ch;
    }
}

TEST(OversamplingTest, OnlyPowersOfTwoUpToSixteenAreTaken) {
    DspEngine engine(kBlock, 2, kRate, 0);
    EXPECT_EQ(engine.latency(), 0);
    engine.requestAntialiasing(true);
    EXPECT_EQ(engine.latency(), kAntialiasingDelay);
    engine.requestAntialiasing(false);
    ASSERT_TRUE(engine.requestOversampling(8));
    const int32_t latency = engine.latency();
    for (const int32_t refused : {0, -2, 3, 6, 32, 1 << 30}) {
        EXPECT_FALSE(engine.requestOversampling(refused)) << refused;
        EXPECT_EQ(engine.oversampling(), 8);
        EXPECT_EQ(engine.latency(), latency);
    }
    ASSERT_TRUE(engine.requestOversampling(1));
    EXPECT_EQ(engine.latency(), 0);
}

// The indicator still means that a driven sample went beyond the curve: never for a quiet tone,
// always for a loud one, at every factor, anti-aliased or not.
TEST(OversamplingTest, ClipIndicatorKeepsItsMeaning) {
    for (int32_t stages = 0; stages <= kMaxOversamplingStages; ++stages) {
        for (const float amplitude : {0.05f, 1.0f, -0.05f, -1.0f}) {
            const bool antialiased = amplitude < 0.0f;
            DistortionParameters model;
            DspEngine engine(kBlock, 1, kRate, 0);
            engine.requestOversampling(1 << stages);
            engine.requestAntialiasing(antialiased);
            model.setValue(ParamIn, 12.0f);
            engine.applyChanges(model);
            std::vector<float> block(kBlock);
            for (int32_t call = 0; call < 8; ++call) {
                for (int32_t n = 0; n < kBlock; ++n)
                    block[n] = amplitude * static_cast<float>(std::sin(0.2 * (call * kBlock + n)));
                float* data = block.data();
                engine.process(&data, &data, kBlock, OutputMode::Replace);
            }
            engine.publishClip(model);
            EXPECT_EQ(model.getValue(ParamClip), std::fabs(amplitude) > 0.5f ? 1.0f : 0.0f)
                << "factor " << (1 << stages) << ", amplitude " << amplitude;
        }
    }
}

}  // namespace
}  // namespace marrowfold
