// A glide follows the raised cosine from its start to its end, filled in pieces of any size at
// any step, and a new target taken mid-move continues from the value reached.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "dsp/Glide.h"

namespace marrowfold {
namespace {

// from + (to - from) (1 - cos(pi t / length)) / 2 before the end, then to.
double raisedCosine(double from, double to, double t, int32_t length) {
    if (t >= length) return to;
    return from + (to - from) * 0.5 * (1.0 - std::cos(std::numbers::pi * t / length));
}

// Within a few float roundings of the move's size.
double tolerance(double from, double to) {
    return 4e-7 * std::max({std::fabs(from), std::fabs(to), 1.0});
}

struct Move {
    const char* what;
    int32_t length;
    float from;
    float to;
    double step;  // samples per value
    int32_t piece;
};

TEST(GlideTest, FollowsTheRaisedCosineInPiecesAtAnyStep) {
    const Move moves[] = {
        {"a gain down", 384, 1.0f, 0.25f, 1.0, 100},
        {"a crossfade weight at 8x", 384, 0.0f, 1.0f, 1.0 / 8, 512},
        {"a wet share in one-sample pieces", 7, 0.3f, 1.0f, 1.0, 1},
        {"a one-sample move", 1, 2.0f, -3.0f, 1.0, 3},
    };
    for (const Move& m : moves) {
        SCOPED_TRACE(m.what);
        Glide glide(m.length, m.from);
        EXPECT_FALSE(glide.moving());
        glide.moveTo(m.to);
        std::vector<float> values(static_cast<size_t>(m.piece));
        double t = 0.0;
        while (t < m.length + m.piece * m.step) {
            ASSERT_TRUE(glide.moving() || t >= m.length) << t;
            EXPECT_NEAR(glide.reached(), raisedCosine(m.from, m.to, t, m.length),
                        tolerance(m.from, m.to));
            glide.fill(values.data(), m.piece, m.step);
            for (int32_t n = 0; n < m.piece; ++n, t += m.step)
                ASSERT_NEAR(values[n], raisedCosine(m.from, m.to, t, m.length),
                            tolerance(m.from, m.to))
                    << "at " << t;
        }
        EXPECT_FALSE(glide.moving());
        EXPECT_EQ(glide.position(), m.length);
    }
}

TEST(GlideTest, ANewTargetMidMoveContinuesFromTheValueReached) {
    constexpr int32_t kLength = 100;
    constexpr int32_t kFirstPart = 30;
    Glide glide(kLength, 0.0f);
    glide.moveTo(1.0f);
    std::vector<float> values(kFirstPart);
    glide.fill(values.data(), kFirstPart);
    const double reached = raisedCosine(0.0, 1.0, kFirstPart, kLength);

    glide.moveTo(0.5f);
    EXPECT_NEAR(glide.from(), reached, tolerance(0.0, 1.0));
    EXPECT_EQ(glide.position(), 0.0);
    glide.fill(values.data(), kFirstPart);
    EXPECT_EQ(values[0], glide.from()) << "no step where the new move starts";
    EXPECT_NEAR(values[kFirstPart - 1], raisedCosine(reached, 0.5, kFirstPart - 1, kLength),
                tolerance(0.0, 1.0));

    glide.moveTo(0.5f);
    EXPECT_EQ(glide.position(), kFirstPart) << "the same target again changes nothing";
    glide.jumpTo(0.75f);
    EXPECT_FALSE(glide.moving());
    EXPECT_EQ(glide.reached(), 0.75f);
}

}  // namespace
}  // namespace marrowfold
