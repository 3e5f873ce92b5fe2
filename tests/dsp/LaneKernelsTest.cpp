// The lane kernels against the reference kernels, on every instruction set the processor has:
// long scripted sessions through two engines (random signals with silences, overs and broken
// samples; edge moves, solo, shape and gain changes, stepping or gliding; blocks of every sampled
// length in both process modes) must agree bit for bit, and so must the shaping of the curve's edge
// values.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dsp/DspEngine.h"
#include "dsp/LaneKernels.h"
#include "dsp/SmoothCurve.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"
#include "params/PresetBankEdits.h"

namespace marrowfold {
namespace {

constexpr KernelSet kLaneSets[] = {KernelSet::Sse2, KernelSet::Avx2, KernelSet::Avx512};
constexpr int32_t kBlockSizes[] = {1,  2,  3,   4,   5,   7,   8,   15,  16,   17,   31,  63,
                                   64, 65, 100, 255, 256, 511, 512, 777, 1024, 2047, 4096};
constexpr double kRates[] = {44100.0, 48000.0, 96000.0};
constexpr int64_t kSessionFrames = 48000;
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
// The sticky exception flags of the processor's floating-point control word, and among them the
// flag for an inexact result.
constexpr unsigned kExceptionFlags = 0x3F;
constexpr unsigned kInexactFlag = 0x20;

// Index of the first sample whose bits differ, or -1.
int64_t firstDifference(const float* a, const float* b, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return static_cast<int64_t>(i);
    }
    return -1;
}

// One engine with its own parameter model; the script feeds both twins the same changes.
struct Twin {
    Twin(int32_t blockSize, int32_t channels, double rate) : engine(blockSize, channels, rate, 0) {
        engine.applyChanges(model);
    }
    DistortionParameters model;
    DspEngine engine;
};

// Buffers of one process call, one set per twin.
struct CallBuffers {
    std::vector<std::vector<float>> in, out;
    std::vector<float*> inPointers, outPointers;

    CallBuffers(const std::vector<std::vector<float>>& input,
                const std::vector<std::vector<float>>& output)
        : in(input), out(output) {
        for (size_t ch = 0; ch < in.size(); ++ch) {
            inPointers.push_back(in[ch].data());
            outPointers.push_back(out[ch].data());
        }
    }
};

class Session {
  public:
    // A factor above 1 starts both twins oversampled and lets the script change the factor too.
    Session(KernelSet set, int32_t channels, int32_t blockSize, double rate, uint32_t seed,
            int32_t factor = 1, bool antialiased = false)
        : oversampled_(factor > 1),
          channels_(channels),
          blockSize_(blockSize),
          random_(seed),
          reference_(blockSize, channels, rate),
          lanes_(blockSize, channels, rate) {
        // Oversampled, the reference resamples with the rounding of the set it is held against.
        EXPECT_TRUE(reference_.engine.useKernelSet(KernelSet::Reference, kernelSetRounding(set)));
        EXPECT_TRUE(lanes_.engine.useKernelSet(set));
        EXPECT_EQ(lanes_.engine.kernelSet(), set);
        EXPECT_TRUE(reference_.engine.requestOversampling(factor));
        EXPECT_TRUE(lanes_.engine.requestOversampling(factor));
        reference_.engine.requestAntialiasing(antialiased);
        lanes_.engine.requestAntialiasing(antialiased);
    }

    // Runs the session until both twins have processed frames samples; stops at the first
    // difference. Returns how often the clip indicator was published as set.
    int64_t run(int64_t frames) {
        int64_t untilChange = 0;
        for (int64_t done = 0; done < frames && !::testing::Test::HasFailure();) {
            if (untilChange <= 0) {
                changeSomething();
                untilChange = std::exponential_distribution<double>(1.0 / 1500.0)(random_);
            }
            const int32_t length = callLength();
            processBoth(length);
            done += length;
            untilChange -= length;
            if (chance(0.2)) compareClip();
        }
        compareHistories();
        return clips_;
    }

  private:
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
    float uniform(float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random_);
    }
    int32_t integer(int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(random_);
    }

    // Mostly a block no longer than the engine's, sometimes an empty one or one that the engine
    // processes in pieces.
    int32_t callLength() {
        if (chance(0.02)) return 0;
        if (chance(0.05)) return integer(blockSize_ + 1, 2 * blockSize_ + 3);
        return chance(0.5) ? blockSize_ : integer(1, blockSize_);
    }

    template <typename Change>
    void onBoth(Change change) {
        change(reference_.model);
        change(lanes_.model);
    }

    void changeSomething() {
        // With smoothing on, edge moves crossfade to new filters and gain changes glide.
        if (chance(0.2)) {
            const bool smoothing = chance(0.7);
            reference_.engine.setSmoothing(smoothing);
            lanes_.engine.setSmoothing(smoothing);
        }
        switch (integer(0, oversampled_ ? 7 : 6)) {
            case 0: {
                const int32_t band = integer(ParamBand1, ParamBand4);
                const float level = uniform(-12.0f, 12.0f);
                onBoth([&](DistortionParameters& m) { m.setValue(band, level); });
                break;
            }
            case 1: {
                // Up to +30 dB of input drives much of the signal beyond the curve's range.
                const int32_t which = chance(0.5) ? ParamIn : ParamOut;
                const float gain = uniform(-24.0f, 30.0f);
                onBoth([&](DistortionParameters& m) { m.setValue(which, gain); });
                break;
            }
            case 2: {
                const float shape = uniform(-1.0f, 6.0f);  // includes shapes out of range
                onBoth([&](DistortionParameters& m) { m.setValue(ParamShape, shape); });
                break;
            }
            case 3: {
                const float solo = static_cast<float>(integer(-2, 5));
                onBoth([&](DistortionParameters& m) { m.setValue(ParamSolo, solo); });
                break;
            }
            case 6: {
                const bool antialiased = chance(0.5);
                reference_.engine.requestAntialiasing(antialiased);
                lanes_.engine.requestAntialiasing(antialiased);
                break;
            }
            case 7: {
                const int32_t factor = 1 << integer(0, kMaxOversamplingStages);
                EXPECT_TRUE(reference_.engine.requestOversampling(factor));
                EXPECT_TRUE(lanes_.engine.requestOversampling(factor));
                break;
            }
            default:
                changePreset();
        }
        reference_.engine.applyChanges(reference_.model);
        lanes_.engine.applyChanges(lanes_.model);
    }

    // Edges anywhere from below 20 Hz to beyond half the sample rate, crossing each other at
    // times; "Modify" names one drive, one edge, everything, or nothing.
    void changePreset() {
        PresetRecord record{};
        for (float& drive : record.bandDrive)
            drive = uniform(-20.0f, 20.0f);
        for (float& edge : record.bandEdge)
            edge = std::exp(uniform(std::log(5.0f), std::log(60000.0f)));
        record.recordTag = kRecordTag;
        const int32_t codes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, kModifyAll, 12};
        const float code =
            static_cast<float>(codes[integer(0, static_cast<int32_t>(std::size(codes)) - 1)]);
        onBoth([&](DistortionParameters& m) {
            m.setData(ParamBank, &record, kPresetRecordSize, m.currentPreset());
            m.setValue(ParamModify, code);
        });
    }

    // Noise of a random level, silence, float denormals, or noise with a broken sample.
    std::vector<std::vector<float>> signal(int32_t length) {
        const int32_t kind = integer(0, 9);
        const float level = kind == 0   ? 0.0f
                            : kind == 1 ? 1e-39f
                                        : std::exp(uniform(std::log(1e-7f), std::log(4.0f)));
        std::vector<std::vector<float>> channels(channels_, std::vector<float>(length));
        for (auto& channel : channels) {
            for (float& sample : channel)
                sample = uniform(-level, level);
        }
        if (kind == 2 && length > 0) {
            const float broken[] = {kNaN, kInf, -kInf, 1e30f, -3e38f};
            channels[integer(0, channels_ - 1)][integer(0, length - 1)] =
                broken[integer(0, static_cast<int32_t>(std::size(broken)) - 1)];
        }
        return channels;
    }

    void processBoth(int32_t length) {
        const auto input = signal(length);
        // The accumulating mode adds to whatever the outputs hold.
        std::vector<std::vector<float>> output(channels_, std::vector<float>(length));
        for (auto& channel : output) {
            for (float& sample : channel)
                sample = uniform(-1.0f, 1.0f);
        }
        const OutputMode outputMode = chance(0.25) ? OutputMode::Accumulate : OutputMode::Replace;
        CallBuffers expected(input, output);
        CallBuffers actual(input, output);
        const unsigned modes = _mm_getcsr() & ~kExceptionFlags;
        _mm_setcsr(modes);
        reference_.engine.process(expected.inPointers.data(), expected.outPointers.data(), length,
                                  outputMode);
        const unsigned referenceFlags = _mm_getcsr() & kExceptionFlags;
        _mm_setcsr(modes);
        lanes_.engine.process(actual.inPointers.data(), actual.outPointers.data(), length,
                              outputMode);
        const unsigned state = _mm_getcsr();
        ASSERT_EQ(state & ~kExceptionFlags, modes) << "the floating-point modes changed";
        // Where the reference only rounds, the lane kernels may not have to; nothing else may be
        // raised that the reference does not raise (a host may unmask exceptions).
        ASSERT_EQ(state & kExceptionFlags & ~referenceFlags & ~kInexactFlag, 0u)
            << "exception flags raised beyond the reference's";
        ++call_;
        for (int32_t ch = 0; ch < channels_; ++ch) {
            compareBuffers(expected.in[ch], actual.in[ch], "in", ch);
            compareBuffers(expected.out[ch], actual.out[ch], "out", ch);
        }
    }

    void compareBuffers(const std::vector<float>& expected, const std::vector<float>& actual,
                        const char* which, int32_t ch) {
        const int64_t at = firstDifference(expected.data(), actual.data(), expected.size());
        ASSERT_EQ(at, -1) << which << "[" << ch << "] of call " << call_ << " (" << expected.size()
                          << " frames): " << expected[at] << " vs " << actual[at];
    }

    void compareClip() {
        reference_.engine.publishClip(reference_.model);
        lanes_.engine.publishClip(lanes_.model);
        ASSERT_EQ(reference_.model.getValue(ParamClip), lanes_.model.getValue(ParamClip))
            << "after call " << call_;
        if (reference_.model.getValue(ParamClip) != 0.0f) ++clips_;
    }

    void compareHistories() {
        const BandShaper& expected = reference_.engine.shaper();
        const BandShaper& actual = lanes_.engine.settledShaper();
        for (int32_t band = 0; band < expected.bandCount(); ++band) {
            for (int32_t ch = 0; ch < channels_; ++ch) {
                for (int32_t s = 0; s < expected.bandFilter(band).sectionCount(); ++s) {
                    EXPECT_EQ(std::memcmp(&expected.bandFilter(band).outputHistory(ch, s),
                                          &actual.bandFilter(band).outputHistory(ch, s),
                                          sizeof(Coefficients)),
                              0)
                        << band << " " << ch << " " << s;
                }
            }
        }
    }

    bool oversampled_;
    int32_t channels_;
    int32_t blockSize_;
    std::mt19937 random_;
    Twin reference_;
    Twin lanes_;
    int64_t call_ = 0;
    int64_t clips_ = 0;
};

class LaneKernelsTest : public ::testing::TestWithParam<KernelSet> {
  protected:
    void SetUp() override {
        if (!kernelSetAvailable(GetParam())) GTEST_SKIP() << "the processor lacks this set";
    }
};

TEST_P(LaneKernelsTest, SessionsMatchTheReferenceBitForBit) {
    uint32_t seed = 1;
    int64_t clips = 0;
    for (const int32_t channels : {1, 2}) {
        for (size_t i = 0; i < std::size(kBlockSizes); ++i) {
            const int32_t blockSize = kBlockSizes[i];
            const double rate = kRates[i % std::size(kRates)];
            SCOPED_TRACE(std::to_string(channels) + " channel(s), block size " +
                         std::to_string(blockSize) + ", seed " + std::to_string(seed));
            clips += Session(GetParam(), channels, blockSize, rate, seed++).run(kSessionFrames);
            if (HasFailure()) return;
        }
    }
    EXPECT_GT(clips, 0) << "the sessions never clipped";
}

// Oversampled, the lanes also run the half-band stages up; every factor starts a set of
// sessions, which then move between the factors.
TEST_P(LaneKernelsTest, OversampledSessionsMatchTheReferenceBitForBit) {
    constexpr int64_t kOversampledFrames = 12000;
    uint32_t seed = 500;
    for (int32_t stages = 1; stages <= kMaxOversamplingStages; ++stages) {
        for (const int32_t channels : {1, 2}) {
            for (const int32_t blockSize : {1, 7, 64, 65, 512, 777}) {
                SCOPED_TRACE("factor " + std::to_string(1 << stages) + ", " +
                             std::to_string(channels) + " channel(s), block size " +
                             std::to_string(blockSize));
                Session(GetParam(), channels, blockSize, 48000.0, seed++, 1 << stages)
                    .run(kOversampledFrames);
                if (HasFailure()) return;
            }
        }
    }
}

// Anti-aliased from the start, at every factor, with the script switching it as it goes.
TEST_P(LaneKernelsTest, AntialiasedSessionsMatchTheReferenceBitForBit) {
    constexpr int64_t kAntialiasedFrames = 12000;
    uint32_t seed = 900;
    for (int32_t stages = 0; stages <= kMaxOversamplingStages; ++stages) {
        for (const int32_t channels : {1, 2}) {
            for (const int32_t blockSize : {1, 64, 511}) {
                SCOPED_TRACE("factor " + std::to_string(1 << stages) + ", " +
                             std::to_string(channels) + " channel(s), block size " +
                             std::to_string(blockSize));
                Session(GetParam(), channels, blockSize, 44100.0, seed++, 1 << stages, true)
                    .run(kAntialiasedFrames);
                if (HasFailure()) return;
            }
        }
    }
}

// A host may run its audio thread with denormals flushed; both kernels then see the same modes
// and must still agree, and neither may change them.
TEST_P(LaneKernelsTest, SessionsMatchUnderFlushToZero) {
    constexpr unsigned kFlushAndTreatDenormalsAsZero = 0x8040;
    const unsigned saved = _mm_getcsr();
    _mm_setcsr(saved | kFlushAndTreatDenormalsAsZero);
    for (const int32_t blockSize : {1, 64, 512, 4096}) {
        SCOPED_TRACE("block size " + std::to_string(blockSize));
        Session(GetParam(), 2, blockSize, 44100.0, 1000 + blockSize).run(kSessionFrames);
    }
    _mm_setcsr(saved);
}

// Values where the curve's lookup can go wrong: zeros of both signs, exact ties of the index
// rounding, both ends of the table, the limits and just beyond, infinities, undefined samples,
// denormals and the largest floats.
std::vector<float> edgeValues() {
    std::vector<float> values = {0.0f,
                                 -0.0f,
                                 1.0f,
                                 std::nextafter(1.0f, 0.0f),
                                 kNaN,
                                 -kNaN,
                                 std::numeric_limits<float>::min(),
                                 1e-40f,
                                 -1e-40f,
                                 1e-30f};
    for (int32_t k = 0; k < 254; ++k) {
        const float tie = (static_cast<float>(k) + 0.5f) / kShapeLookupScale;
        const float exact = static_cast<float>(k) / kShapeLookupScale;
        for (const float value : {tie, std::nextafter(tie, 0.0f), std::nextafter(tie, 1.0f), exact})
            values.insert(values.end(), {value, -value});
    }
    std::mt19937 random(7);
    std::uniform_real_distribution<float> inRange(-1.0f, 1.0f);
    for (int32_t i = 0; i < 2000; ++i)
        values.push_back(inRange(random));
    return values;
}

std::vector<float> overs() {
    return {std::nextafter(1.0f, 2.0f),
            -std::nextafter(1.0f, 2.0f),
            1.5f,
            -7.0f,
            kInf,
            -kInf,
            std::numeric_limits<float>::max(),
            -std::numeric_limits<float>::max()};
}

// Runs of driven samples that take the anti-aliasing through every branch, each lane its own
// run (rows of lanes floats): nearly meeting at the pieces' edges, with the middle sample close
// by or half a step and more away, near the limit, far beyond it, and broken. Alike, every lane
// runs the same samples, so that whole vectors take one branch together (and skip the others).
std::vector<float> antialiasingRuns(int32_t lanes, bool alike) {
    constexpr uint32_t kSeed = 13;
    std::mt19937 random(kSeed);
    const auto tiny = [&] {
        const float size = std::exp(std::uniform_real_distribution<float>(-20.0f, -4.0f)(random));
        return std::bernoulli_distribution(0.5)(random) ? size : -size;
    };
    const auto laneRun = [&](int32_t lane) {
        std::vector<float> values;
        for (int32_t k = -255; k <= 255; ++k) {
            const float edge = std::clamp(k + 0.5f, -254.0f, 254.0f) / kShapeLookupScale;
            const float away = static_cast<float>(lane) * 0.3f / kShapeLookupScale;
            values.insert(values.end(), {edge + tiny(), edge + tiny(), edge + tiny(), edge + away,
                                         edge + tiny(), edge, edge});
        }
        values.insert(values.end(), {3e5f, -kInf, kNaN, 1.0f, 1e-30f, 2000.0f, -1.0f, 0.5f});
        return values;
    };
    // From runs per lane to rows.
    std::vector<float> rows;
    for (int32_t lane = 0; lane < lanes; ++lane) {
        if (alike) random.seed(kSeed);
        const std::vector<float> values = laneRun(alike ? 1 : lane);
        rows.resize(values.size() * static_cast<size_t>(lanes));
        for (size_t i = 0; i < values.size(); ++i)
            rows[i * static_cast<size_t>(lanes) + static_cast<size_t>(lane)] = values[i];
    }
    return rows;
}

// Shapes values (row-major over lanes) with the reference shaper and with the lane kernel, plain
// or anti-aliased; expects the same bits and the same clip report.
// How the shaping reads the curve: from the table at the sample rate, from the smooth curve at an
// oversampled rate, or anti-aliased.
enum class Reading { Table, Smooth, Antialiased };

void compareShaping(const LaneKernels& kernels, int32_t channels, int32_t shape,
                    const std::vector<float>& values, Reading reading) {
    const bool antialiased = reading == Reading::Antialiased;
    const int32_t lanes = channels * kLaneBands;
    const int32_t frames = static_cast<int32_t>(values.size()) / lanes;
    const size_t count = static_cast<size_t>(frames) * lanes;
    BandShaper shaper(44100, channels, frames, kLaneBands, 4);
    ASSERT_TRUE(shaper.useKernelSet(KernelSet::Reference, kernels.rounding));
    shaper.setShape(shape);
    shaper.setAntialiasing(antialiased);
    if (reading == Reading::Smooth) shaper.setOversampling(2);

    std::vector<std::vector<float>> buffers(lanes, std::vector<float>(frames));
    std::vector<float*> channelPointers(lanes);
    for (int32_t lane = 0; lane < lanes; ++lane) {
        for (int32_t n = 0; n < frames; ++n)
            buffers[lane][n] = values[n * lanes + lane];
        channelPointers[lane] = buffers[lane].data();
    }
    // bands[b][ch] is lane ch * 4 + b.
    std::vector<std::vector<float*>> perBand(kLaneBands, std::vector<float*>(channels));
    std::vector<float* const*> bands(kLaneBands);
    for (int32_t b = 0; b < kLaneBands; ++b) {
        for (int32_t ch = 0; ch < channels; ++ch)
            perBand[b][ch] = channelPointers[ch * kLaneBands + b];
        bands[b] = perBand[b].data();
    }
    shaper.shapeBands(bands.data(), frames);

    // With every gain at 0 dB the drive is 1 and the level is the shape's make-up gain.
    LaneShaping shaping{};
    for (int32_t lane = 0; lane < kMaxLanes; ++lane) {
        shaping.drive[lane] = 1.0f;
        shaping.level[lane] = shaper.makeupGain();
    }
    shaping.segments = shapeSegments(shape).data();
    shaping.smooth = &smoothCurve(shape);
    std::vector<float> rows(values.begin(), values.begin() + count);
    std::vector<float> history(kAntialiasingHistory * kMaxLanes, 0.0f);
    const LaneAntialiasing antialiasing{&shapeAntiderivatives(shape), kAntialiasingCompensation[0],
                                        history.data()};
    const auto rowCount = static_cast<int32_t>(count);
    bool clipped = false;
    switch (reading) {
        case Reading::Table:
            clipped = kernels.shape(shaping, rows.data(), rowCount);
            break;
        case Reading::Smooth:
            clipped = kernels.shapeSmoothly(shaping, rows.data(), rowCount);
            break;
        case Reading::Antialiased:
            clipped = kernels.shapeAntialiased(shaping, antialiasing, rows.data(), rowCount);
            break;
    }

    EXPECT_EQ(clipped, shaper.clipFlag() == 1.0f);
    for (size_t i = 0; i < count; ++i) {
        const float expected = buffers[i % lanes][i / lanes];
        ASSERT_EQ(std::memcmp(&rows[i], &expected, sizeof(float)), 0)
            << "shape " << shape << ", reading " << static_cast<int>(reading) << ", value "
            << values[i] << ": " << expected << " vs " << rows[i];
    }
}

TEST_P(LaneKernelsTest, ShapingOfEdgeValuesMatchesTheReference) {
    const LaneKernelSet* set = laneKernelSet(GetParam());
    ASSERT_NE(set, nullptr);
    std::vector<float> withOvers = edgeValues();
    for (const float over : overs())
        withOvers.insert(withOvers.begin() + withOvers.size() / 2, over);
    for (int32_t shape = 0; shape < kShapeCount; ++shape) {
        for (const int32_t channels : {1, 2}) {
            SCOPED_TRACE(std::to_string(channels) + " channel(s)");
            // An odd number of rows leaves a part-filled vector at the end.
            const size_t rowFloats = static_cast<size_t>(channels) * kLaneBands;
            for (const auto& values : {edgeValues(), withOvers}) {
                std::vector<float> oddRows(
                    values.begin(),
                    values.begin() + (values.size() / rowFloats / 2 * 2 - 1) * rowFloats);
                for (const Reading reading :
                     {Reading::Table, Reading::Smooth, Reading::Antialiased}) {
                    compareShaping(channels == 1 ? set->mono : set->stereo, channels, shape,
                                   oddRows, reading);
                }
            }
            for (const bool alike : {false, true}) {
                compareShaping(channels == 1 ? set->mono : set->stereo, channels, shape,
                               antialiasingRuns(channels * kLaneBands, alike),
                               Reading::Antialiased);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EverySet, LaneKernelsTest, ::testing::ValuesIn(kLaneSets),
                         [](const ::testing::TestParamInfo<KernelSet>& info) {
                             return std::string(kernelSetName(info.param));
                         });

// Layouts the lanes cannot hold keep the reference kernels, and so does a set the processor
// lacks; the reference kernels can always be chosen.
TEST(KernelChoiceTest, LayoutsTheLanesCannotHoldStayOnTheReference) {
    const KernelSet fastest = fastestKernelSet();
    ASSERT_NE(fastest, KernelSet::Reference);
    EXPECT_EQ(BandShaper(44100, 2, 64, 4, 4).kernelSet(), fastest);
    EXPECT_EQ(BandShaper(44100, 3, 64, 4, 4).kernelSet(), KernelSet::Reference);
    EXPECT_EQ(BandShaper(44100, 2, 64, 3, 4).kernelSet(), KernelSet::Reference);
    EXPECT_EQ(BandShaper(44100, 1, 64, 4, 6).kernelSet(), KernelSet::Reference);

    BandShaper shaper(44100, 3, 64, 4, 4);
    EXPECT_FALSE(shaper.useKernelSet(KernelSet::Sse2));
    EXPECT_EQ(shaper.kernelSet(), KernelSet::Reference);

    DspEngine engine(64, 2, 44100.0, 0);
    EXPECT_TRUE(engine.useKernelSet(KernelSet::Reference));
    EXPECT_EQ(engine.kernelSet(), KernelSet::Reference);
    for (const KernelSet set : kLaneSets) {
        EXPECT_EQ(engine.useKernelSet(set), kernelSetAvailable(set)) << kernelSetName(set);
        EXPECT_EQ(laneKernelSet(set) != nullptr, kernelSetAvailable(set)) << kernelSetName(set);
    }
}

// The reference resamples with either rounding the processor can do; a lane set only with the
// one it was compiled for (SSE2 separate, AVX2 and AVX-512 fused); a refused choice changes
// nothing.
TEST(KernelChoiceTest, EachSetResamplesWithTheRoundingItWasBuiltFor) {
    constexpr auto kSeparate = ResamplingRounding::Separate;
    constexpr auto kFused = ResamplingRounding::Fused;
    const bool fusedHere = processorRounding() == kFused;
    struct Choice {
        KernelSet set;
        ResamplingRounding rounding;
        bool taken;
    };
    const Choice kChoices[] = {
        {KernelSet::Reference, kSeparate, true},
        {KernelSet::Reference, kFused, fusedHere},
        {KernelSet::Sse2, kSeparate, true},
        {KernelSet::Sse2, kFused, false},
        {KernelSet::Avx2, kFused, kernelSetAvailable(KernelSet::Avx2)},
        {KernelSet::Avx2, kSeparate, false},
        {KernelSet::Avx512, kFused, kernelSetAvailable(KernelSet::Avx512)},
        {KernelSet::Avx512, kSeparate, false},
    };
    for (const Choice& choice : kChoices) {
        SCOPED_TRACE(std::string(kernelSetName(choice.set)) +
                     (choice.rounding == kFused ? ", fused" : ", separate"));
        DspEngine engine(64, 2, 44100.0, 0);
        ASSERT_TRUE(engine.useKernelSet(KernelSet::Reference, kSeparate));
        EXPECT_EQ(engine.useKernelSet(choice.set, choice.rounding), choice.taken);
        EXPECT_EQ(engine.kernelSet(), choice.taken ? choice.set : KernelSet::Reference);
    }
}

}  // namespace
}  // namespace marrowfold
