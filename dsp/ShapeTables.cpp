#include "dsp/ShapeTables.h"

#include <cstddef>

#include "dsp/MonotoneSpline.h"
#include "dsp/ShapeAntiderivatives.h"
#include "dsp/ShapeCurves.h"
#include "dsp/SmoothCurve.h"

namespace marrowfold {

namespace {

// Make-up attenuation of each shape in dB.
constexpr std::array<float, kShapeCount> kMakeupDecibels = {2.0f, 6.1f, 7.4f, 6.9f, 10.2f};

// Shapes 1 and 2 are saturation curves of increasing steepness, shape 3 rises steeply, flattens
// near 0.73 and rises again, shape 4 is almost a hard limiter.
constexpr size_t kListedRows = kShapeDefiningRowCount;
constexpr ShapeDefiningRows kRows = {{
    //   index   shape 1   shape 2   shape 3   shape 4
    {0, {0.00000, 0.00000, 0.00000, 0.00000}},
    {1, {0.01550, 0.02316, 0.06526, 0.12936}},
    {16, {0.22705, 0.32040, 0.58294, 0.89132}},
    {32, {0.41297, 0.55007, 0.64427, 0.98307}},
    {48, {0.56307, 0.71084, 0.66446, 0.99372}},
    {64, {0.68229, 0.82036, 0.69805, 0.99689}},
    {80, {0.77519, 0.89262, 0.72089, 0.99858}},
    {96, {0.84599, 0.93856, 0.72999, 0.99942}},
    {112, {0.89852, 0.96650, 0.73399, 0.99978}},
    {128, {0.93624, 0.98262, 0.74244, 0.99992}},
    {144, {0.96225, 0.99136, 0.76306, 0.99997}},
    {160, {0.97930, 0.99578, 0.80133, 0.99999}},
    {176, {0.98975, 0.99787, 0.85715, 0.99999}},
    {192, {0.99559, 0.99884, 0.91936, 1.00000}},
    {208, {0.99845, 0.99934, 0.96865, 1.00000}},
    {224, {0.99961, 0.99968, 0.99340, 1.00000}},
    {240, {0.99995, 0.99991, 0.99964, 1.00000}},
    {255, {1.00000, 1.00000, 1.00000, 1.00000}},
}};

// Shape 0: T[i] = 1.5 x - 0.5 x^3 with x = i / 255.
constexpr ShapeTable cubicTable() {
    ShapeTable table{};
    for (int32_t i = 0; i <= kShapeLastCurveEntry; ++i) {
        const double x = static_cast<double>(i) / kShapeLastCurveEntry;
        table[i] = static_cast<float>(softClipCurve(x));
    }
    return table;
}

constexpr MonotoneSpline<kListedRows> listedCurve(size_t column) {
    std::array<double, kListedRows> x{};
    std::array<double, kListedRows> y{};
    for (size_t k = 0; k < kListedRows; ++k) {
        x[k] = kRows[k].index;
        y[k] = kRows[k].value[column];
    }
    return MonotoneSpline<kListedRows>(x, y);
}

constexpr ShapeTable listedTable(size_t column) {
    const MonotoneSpline<kListedRows> curve = listedCurve(column);
    ShapeTable table{};
    for (int32_t i = 0; i <= kShapeLastCurveEntry; ++i) {
        table[i] = static_cast<float>(curve(static_cast<double>(i)));
    }
    return table;
}

constexpr std::array<ShapeTable, kShapeCount> buildShapeTables() {
    std::array<ShapeTable, kShapeCount> tables = {cubicTable(), listedTable(0), listedTable(1),
                                                  listedTable(2), listedTable(3)};
    for (int32_t s = 0; s < kShapeCount; ++s)
        tables[s][kShapeMakeupEntry] = kMakeupDecibels[s];
    return tables;
}

constinit const std::array<ShapeTable, kShapeCount> kShapeTables = buildShapeTables();

constexpr std::array<ShapeSegments, kShapeCount> buildShapeSegments() {
    const std::array<ShapeTable, kShapeCount> tables = buildShapeTables();
    std::array<ShapeSegments, kShapeCount> segments{};
    for (int32_t s = 0; s < kShapeCount; ++s) {
        for (int32_t i = 0; i < kShapeSegmentCount; ++i) {
            segments[s][2 * i] = tables[s][i];
            segments[s][2 * i + 1] = tables[s][i + 1] - tables[s][i];
        }
        segments[s][2 * kShapeLimitSegment] = tables[s][kShapeLastCurveEntry];
    }
    return segments;
}

constinit const std::array<ShapeSegments, kShapeCount> kShapeSegments = buildShapeSegments();

using Cubic = std::array<double, 4>;

// p(alpha t + beta) as coefficients of t, for p given by its coefficients.
constexpr Cubic substituted(const Cubic& p, double alpha, double beta) {
    Cubic result{p[3], 0.0, 0.0, 0.0};
    for (int32_t n = 2; n >= 0; --n) {
        Cubic next{};
        for (int32_t j = 0; j < 3; ++j) {
            next[j] += result[j] * beta;
            next[j + 1] += result[j] * alpha;
        }
        next[0] += p[n];
        result = next;
    }
    return result;
}

constexpr double kSmoothPieceWidth = 1.0 / kSmoothPieceScale;

// Piece k's cubic in t, given the curve's cubic in u and u = alpha t + beta over that piece.
template <class CubicAt>
constexpr SmoothCurve smoothCurveOf(const ShapeTable& table, CubicAt cubicAt) {
    SmoothCurve curve{};
    for (int32_t k = 0; k < kSmoothPieceCount; ++k) {
        const Cubic c = cubicAt(k);
        for (size_t n = 0; n < kSmoothCoefficients; ++n) {
            curve.coefficient[n][k] = static_cast<float>(c[n]);
            curve.piece[k][n] = curve.coefficient[n][k];
        }
    }
    curve.startSlope = table[1];
    return curve;
}

// Shape 0 in x = P / 255.
constexpr SmoothCurve smoothCubic(const ShapeTable& table) {
    return smoothCurveOf(table, [](int32_t k) {
        const Cubic softClip = {0.0, 1.5, 0.0, -0.5};
        const double scale = kSmoothPieceWidth / kShapeLastCurveEntry;
        return substituted(softClip, scale, k * scale);
    });
}

// Piece k lies in the interval between rows k + 1 and k + 2: the rows stand 16 positions apart
// from row 1 on, but for the first and the last interval, which are 15 wide.
constexpr SmoothCurve smoothListed(const ShapeTable& table, size_t column) {
    static_assert(kListedRows == kSmoothPieceCount + 2, "one interval of rows per piece");
    return smoothCurveOf(table, [column](int32_t k) {
        const MonotoneSpline<kListedRows> spline = listedCurve(column);
        const auto interval = static_cast<size_t>(k) + 1;
        const double start = kRows[interval].index;
        const double width = kRows[interval + 1].index - start;
        return substituted(spline.interval(interval), kSmoothPieceWidth / width,
                           (k * kSmoothPieceWidth - start) / width);
    });
}

constexpr std::array<SmoothCurve, kShapeCount> buildSmoothCurves() {
    const std::array<ShapeTable, kShapeCount> tables = buildShapeTables();
    return {smoothCubic(tables[0]), smoothListed(tables[1], 0), smoothListed(tables[2], 1),
            smoothListed(tables[3], 2), smoothListed(tables[4], 3)};
}

constinit const std::array<SmoothCurve, kShapeCount> kSmoothCurves = buildSmoothCurves();

using Extended = long double;

// A piece's offset of its upper edge from its centre: half a step, none for the last table
// piece, which ends where the limit begins.
constexpr Extended upperEdgeOffset(int32_t piece) {
    return piece == kLimitPiece - 1 ? 0.0L : 0.5L;
}

// Walks up the pieces: from G1 and G2 at a piece's centre to its upper edge by the piece's own
// polynomials, then back from that edge to the next piece's centre by the next piece's.
constexpr ShapeAntiderivatives integrate(const ShapeSegments& segments) {
    const auto value = [&](int32_t piece) { return static_cast<Extended>(segments[2 * piece]); };
    const auto rise = [&](int32_t piece) { return static_cast<Extended>(segments[2 * piece + 1]); };
    ShapeAntiderivatives result{};
    for (int32_t piece = 0; piece < kCurvePieceCount; ++piece)
        result[piece] = {0.0, 0.0, segments[2 * piece], segments[2 * piece + 1]};
    Extended first = 0.0L;
    Extended second = 0.0L;
    for (int32_t piece = 0; piece < kLimitPiece; ++piece) {
        const Extended up = upperEdgeOffset(piece);
        const Extended firstAtEdge = first + value(piece) * up + rise(piece) * up * up / 2.0L;
        const Extended secondAtEdge =
            second + first * up + value(piece) * up * up / 2.0L + rise(piece) * up * up * up / 6.0L;
        const int32_t next = piece + 1;
        const Extended down = up - 1.0L;  // the same edge, seen from the next centre
        first = firstAtEdge - (value(next) * down + rise(next) * down * down / 2.0L);
        second = secondAtEdge - (first * down + value(next) * down * down / 2.0L +
                                 rise(next) * down * down * down / 6.0L);
        result[next].first = static_cast<double>(first);
        result[next].second = static_cast<double>(second);
    }
    return result;
}

constexpr std::array<ShapeAntiderivatives, kShapeCount> integrateShapes() {
    const std::array<ShapeSegments, kShapeCount> segments = buildShapeSegments();
    std::array<ShapeAntiderivatives, kShapeCount> all{};
    for (int32_t s = 0; s < kShapeCount; ++s)
        all[s] = integrate(segments[s]);
    return all;
}

constinit const std::array<ShapeAntiderivatives, kShapeCount> kShapeAntiderivatives =
    integrateShapes();

constexpr std::array<ShapeCurves, kShapeCount> gatherCurves() {
    std::array<ShapeCurves, kShapeCount> curves{};
    for (size_t s = 0; s < kShapeCount; ++s) {
        curves[s] = {&kShapeTables[s], &kShapeSegments[s], &kShapeAntiderivatives[s],
                     &kSmoothCurves[s]};
    }
    return curves;
}

constinit const std::array<ShapeCurves, kShapeCount> kShapeCurves = gatherCurves();

}  // namespace

const ShapeDefiningRows& shapeDefiningRows() {
    return kRows;
}

const ShapeTable& shapeTable(int32_t shape) {
    return kShapeTables[shape];
}

const ShapeSegments& shapeSegments(int32_t shape) {
    return kShapeSegments[shape];
}

const ShapeAntiderivatives& shapeAntiderivatives(int32_t shape) {
    return kShapeAntiderivatives[shape];
}

const SmoothCurve& smoothCurve(int32_t shape) {
    return kSmoothCurves[shape];
}

const ShapeCurves& shapeCurves(int32_t shape) {
    return kShapeCurves[shape];
}

}  // namespace marrowfold
