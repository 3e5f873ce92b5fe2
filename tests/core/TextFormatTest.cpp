// The base class's display texts stay within eight characters and say "Huge!" beyond them.
#include <cstring>

#include <gtest/gtest.h>

#include "ProbeEffect.h"

namespace marrowfold {
namespace {

using testing::ProbeEffect;

std::string floatText(float value) {
    ProbeEffect effect;
    char text[16];
    std::memset(text, 'x', sizeof text);
    effect.formatFloat(value, text);
    return text;
}

TEST(TextFormat, FloatsFillEightCharacters) {
    EXPECT_EQ(floatText(1.5f), "1.500000");
    EXPECT_EQ(floatText(-3.25f), "-3.25000");
    EXPECT_EQ(floatText(123456.0f), "123456.0");
    EXPECT_EQ(floatText(0.0f), "0.000000");
    EXPECT_EQ(floatText(99999999.0f), " Huge!  ") << "99999999 is not representable as float";
    EXPECT_EQ(floatText(9999999.0f), "9999999.");
    EXPECT_EQ(floatText(-9999999.0f), "-9999999");
    EXPECT_EQ(floatText(9.9999999f), "10.00000") << "rounding up adds a digit";
}

TEST(TextFormat, FloatsOutsideTheRangeAreHuge) {
    EXPECT_EQ(floatText(1e9f), " Huge!  ");
    EXPECT_EQ(floatText(-10000000.0f), " Huge!  ");
    EXPECT_EQ(floatText(std::numeric_limits<float>::quiet_NaN()), " Huge!  ");
    EXPECT_EQ(floatText(std::numeric_limits<float>::infinity()), " Huge!  ");
}

TEST(TextFormat, DecibelsHertzMillisecondsAndIntegers) {
    ProbeEffect effect;
    char text[16];
    effect.formatDecibels(1.0f, text);
    EXPECT_STREQ(text, "0.000000");
    effect.formatDecibels(0.1f, text);
    EXPECT_STREQ(text, "-20.0000");
    effect.formatDecibels(0.0f, text);
    EXPECT_STREQ(text, "  -oo   ");
    effect.formatHertz(100.0f, text);
    EXPECT_STREQ(text, "441.0000");
    effect.formatHertz(0.0f, text);
    EXPECT_STREQ(text, "0.000000");
    effect.formatMilliseconds(44100.0f, text);
    EXPECT_STREQ(text, "1000.000");
    effect.formatInteger(42, text);
    EXPECT_STREQ(text, "     42");
    effect.formatInteger(99999999, text);
    EXPECT_STREQ(text, "99999999");
    effect.formatInteger(100000000, text);
    EXPECT_STREQ(text, " Huge!  ");
    effect.formatInteger(-2147483647 - 1, text);
    EXPECT_STREQ(text, " Huge!  ") << "would not fit eight characters";
}

}  // namespace
}  // namespace marrowfold
