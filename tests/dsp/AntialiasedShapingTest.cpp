// The anti-aliased shaping against an independent answer: the curve (as the lookup evaluates it)
// averaged under the triangle on three samples, integrated piece by piece in extended precision,
// for samples anywhere, at the pieces' edges, nearly meeting, and beyond the limit. Then on the
// engine: the alias aims, and small signals as plain shaping passes them, dry and mixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "dsp/AntialiasedShaping.h"
#include "dsp/DspEngine.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"
#include "tests/common/AliasMeter.h"

namespace marrowfold {
namespace {

using Extended = long double;

// Piece j of the curve on the position scale, as the lookup reads it: its extent and its line.
struct Piece {
    Extended low;
    Extended high;
    Extended value;  // at its centre j
    Extended rise;
};

Piece positivePiece(const float* segments, int32_t index) {
    const Extended centre = index;
    const Extended low = index == 0 ? -0.5L : index == kLimitPiece ? 254.0L : centre - 0.5L;
    const Extended high = index == kLimitPiece       ? INFINITY
                          : index == kLimitPiece - 1 ? 254.0L
                                                     : centre + 0.5L;
    return {low, high, segments[2 * index], segments[2 * index + 1]};
}

Piece signedPiece(const float* segments, int32_t piece) {
    const Piece positive = positivePiece(segments, std::abs(piece));
    if (piece >= 0) return positive;
    return {-positive.high, -positive.low, -positive.value, positive.rise};
}

int32_t pieceOf(Extended position) {
    const Extended magnitude = std::fabs(position);
    const int32_t index =
        magnitude > 254.0L ? kLimitPiece : static_cast<int32_t>(std::nearbyint(magnitude));
    return position < 0 ? -index : index;
}

// The curve weighted by the triangle on p <= q <= r (unit area, apex at q), integrated over each
// stretch where both are straight by Simpson's rule, which is exact there.
Extended triangleAverage(const float* segments, Extended p, Extended q, Extended r) {
    const int32_t first = pieceOf(p);
    const int32_t last = pieceOf(r);
    const auto curveAt = [&](int32_t piece, Extended t) {
        const Piece line = signedPiece(segments, piece);
        return line.value + line.rise * (t - piece);
    };
    if (r == p) return curveAt(first, p);
    // The rising side where there is one and up to the apex, else the falling side.
    const auto weight = [&](Extended t) {
        const bool rising = q > p && (t <= q || r == q);
        return rising ? 2 * (t - p) / ((r - p) * (q - p)) : 2 * (r - t) / ((r - p) * (r - q));
    };
    Extended sum = 0;
    for (int32_t piece = first; piece <= last; ++piece) {
        const Piece line = signedPiece(segments, piece);
        const Extended from = std::max(line.low, p);
        const Extended to = std::min(line.high, r);
        for (const auto& [a, b] :
             {std::pair{from, std::min(to, q)}, std::pair{std::max(from, q), to}}) {
            if (!(b > a)) continue;
            const Extended mid = (a + b) / 2;
            sum += (b - a) / 6 *
                   (curveAt(piece, a) * weight(a) + 4 * curveAt(piece, mid) * weight(mid) +
                    curveAt(piece, b) * weight(b));
        }
    }
    return sum;
}

// The value the shaping gives for driven samples newest, middle, oldest.
double shaped(const ShapeAntiderivatives& curve, float newest, float middle, float oldest) {
    const auto point = [&](float v) { return locateOnCurve(curve, kCurvePositionScale * v); };
    const CurvePoint a = point(newest);
    const CurvePoint b = point(middle);
    const CurvePoint c = point(oldest);
    const double aSecond = secondAntiderivative(a);
    const double bSecond = secondAntiderivative(b);
    const double newer = dividedDifference(a, b, aSecond, bSecond);
    const double older = dividedDifference(b, c, bSecond, secondAntiderivative(c));
    return antialiasedValue(curve, {a, b, c, bSecond, newer, older});
}

Extended exact(const float* segments, float newest, float middle, float oldest) {
    std::vector<Extended> knots = {static_cast<Extended>(kCurvePositionScale) * newest,
                                   static_cast<Extended>(kCurvePositionScale) * middle,
                                   static_cast<Extended>(kCurvePositionScale) * oldest};
    std::sort(knots.begin(), knots.end());
    return triangleAverage(segments, knots[0], knots[1], knots[2]);
}

// Triples of driven samples that exercise every branch: spread over the curve and beyond,
// clustered at an edge between pieces within all scales of distance, nearly meeting at the
// ends with the middle anywhere, and repeated values.
std::vector<std::array<float, 3>> triples() {
    std::mt19937 random(11);
    const auto uniform = [&](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    const auto tiny = [&] {
        const float size = std::exp(uniform(std::log(1e-9f), std::log(1e-2f)));
        return uniform(0.0f, 1.0f) < 0.5f ? -size : size;
    };
    // An edge between pieces; the largest jumps lie at the first few.
    const auto edge = [&] {
        const int32_t reach = uniform(0.0f, 1.0f) < 0.5f ? 4 : 254;
        const int32_t k = std::uniform_int_distribution<int32_t>(-reach, reach - 1)(random);
        return (k == 253 || k == -254 ? std::copysign(254.0f, k) : k + 0.5f) / 254.0f;
    };
    // A quarter step to a step and a half away, either way.
    const auto near = [&] {
        const float size = uniform(0.25f, 1.5f) / 254.0f;
        return uniform(0.0f, 1.0f) < 0.5f ? -size : size;
    };
    std::vector<std::array<float, 3>> result;
    for (int32_t i = 0; i < 3000; ++i) {
        const float at = edge();
        const float middle = uniform(-1.3f, 1.3f);
        const float far = uniform(-1.3f, 1.3f);
        result.push_back({uniform(-1.3f, 1.3f), middle, uniform(-1.3f, 1.3f)});
        result.push_back({at + tiny(), at + tiny(), at + tiny()});
        result.push_back({at + tiny(), middle, at + tiny()});
        result.push_back({at + tiny(), at + near(), at + tiny()});
        result.push_back({far + tiny(), at + tiny(), far});
        result.push_back({uniform(-kDrivenLimit, kDrivenLimit), at, uniform(-2.0f, 2.0f)});
        result.push_back({middle, middle, at});
        result.push_back({at, middle, at});
        result.push_back({at + tiny(), at, at});
    }
    return result;
}

TEST(AntialiasedShapingTest, StaysWithinItsErrorBoundOfTheExactAverage) {
    const std::vector<std::array<float, 3>> cases = triples();
    for (int32_t shape = 0; shape < kShapeCount; ++shape) {
        const ShapeAntiderivatives& curve = shapeAntiderivatives(shape);
        const float* segments = shapeSegments(shape).data();
        Extended worst = 0;
        std::array<float, 3> worstCase{};
        for (const auto& [a, b, c] : cases) {
            const Extended error = std::fabs(shaped(curve, a, b, c) - exact(segments, a, b, c));
            if (!(error <= worst)) {
                worst = error;
                worstCase = {a, b, c};
            }
        }
        EXPECT_LE(worst, kAntialiasingErrorBound) << "shape " << shape << " at " << worstCase[0]
                                                  << ", " << worstCase[1] << ", " << worstCase[2];
    }
}

TEST(AntialiasedShapingTest, MeetsTheAliasAims) {
    struct Row {
        AliasCase measured;
        double highestDb;
    };
    constexpr int32_t kWarm = 1;
    constexpr int32_t kHard = 4;
    constexpr Row kRows[] = {
        {{kHard, 5000.0, 0.0f, 1, true}, -24.0},
        {{kHard, 5000.0, 0.0f, 2, true}, -50.0},
        {{kHard, 5000.0, 0.0f, 4, true}, -68.0},
        {{kWarm, 5000.0, 0.0f, 2, true}, -67.0},
    };
    constexpr double kLowestDb = -150.0;  // below this the engine would have gone quiet
    for (const Row& row : kRows) {
        SCOPED_TRACE("shape " + std::to_string(row.measured.shape) + ", factor " +
                     std::to_string(row.measured.factor));
        const double alias = aliasDecibels(row.measured, fastestKernelSet());
        EXPECT_LT(alias, row.highestDb);
        EXPECT_GT(alias, kLowestDb);
    }
}

constexpr double kRate = 44100.0;
constexpr double kToneHz[] = {200.0, 1000.0, 4000.0, 8000.0, 12000.0, 14500.0, 16000.0};
constexpr double kQuietLevel =
    1e-4;  // small enough that every band stays in the curve's first piece

// The engine's answer to quiet tones at factor, as a complex gain per tone against the input
// delayed by the reported latency, at the given share of processed signal.
std::vector<std::complex<double>> quietResponse(int32_t factor, bool antialiased, float wetShare) {
    constexpr int32_t kBlock = 512;
    constexpr int32_t kFrames = 32 * kBlock;
    constexpr int32_t kSettled = 8 * kBlock;
    DistortionParameters model;
    DspEngine engine(kBlock, 1, kRate, 0);
    engine.requestOversampling(factor);
    engine.requestAntialiasing(antialiased);
    engine.applyChanges(model);
    engine.setMix(wetShare, false);
    std::vector<float> input(kFrames);
    for (int32_t n = 0; n < kFrames; ++n) {
        double sum = 0.0;
        for (const double hz : kToneHz)
            sum += std::sin(2.0 * std::numbers::pi * hz * n / kRate + hz);
        input[n] = static_cast<float>(kQuietLevel * sum);
    }
    std::vector<float> output = input;
    for (int32_t done = 0; done < kFrames; done += kBlock) {
        float* block = output.data() + done;
        engine.process(&block, &block, kBlock, OutputMode::Replace);
    }
    std::vector<std::complex<double>> gains;
    for (const double hz : kToneHz) {
        std::complex<double> out = 0.0;
        std::complex<double> in = 0.0;
        for (int32_t n = kSettled; n < kFrames; ++n) {
            const std::complex<double> turn =
                std::polar(1.0, -2.0 * std::numbers::pi * hz * n / kRate);
            out += static_cast<double>(output[n]) * turn;
            in += static_cast<double>(input[n - engine.latency()]) * turn;
        }
        gains.push_back(out / in);
    }
    return gains;
}

// From 2x up, the anti-aliasing and its treble lift pass small signals as plain shaping does,
// within 0.5 dB below 16 kHz; and its delay is whole and reported, so half dry and half processed
// sums as it does without it (a misaligned dry path would comb).
TEST(AntialiasedShapingTest, PassesSmallSignalsAsPlainShapingDoesDryAndMixed) {
    constexpr double kToleranceDb = 0.5;
    for (int32_t stages = 1; stages <= kMaxOversamplingStages; ++stages) {
        for (const float wetShare : {1.0f, 0.5f}) {
            const int32_t factor = 1 << stages;
            SCOPED_TRACE("factor " + std::to_string(factor) + ", wet " + std::to_string(wetShare));
            const auto plain = quietResponse(factor, false, wetShare);
            const auto antialiased = quietResponse(factor, true, wetShare);
            for (size_t k = 0; k < std::size(kToneHz); ++k) {
                const double apartDb = 20.0 * std::log10(std::abs(antialiased[k] / plain[k]));
                EXPECT_LT(std::fabs(apartDb), kToleranceDb) << kToneHz[k] << " Hz";
            }
        }
    }
}

}  // namespace
}  // namespace marrowfold
