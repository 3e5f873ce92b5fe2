// The band geometry alone, without a view or a mouse: which handle a point takes (edges over
// drives, later edges over earlier ones, widened rectangles open at right and bottom), the band
// under a point, how mouse points are limited, the pixel-to-value maps of both axes, and the top
// frequency for low rates. Handle area and numbers as in the editor: 232 pixels over
// log2(22050 / 25) = 9.7846 octaves, 120 pixels over 40 dB.

#include "editor/BandGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace marrowfold::testing {
namespace {

constexpr Rect kHandleArea{5, 6, 238, 127};

TEST(BandGeometry, EdgesWinOverDrivesAndLaterEdgesOverEarlierOnes) {
    BandGeometry bands(4, 44100, kHandleArea);
    ASSERT_EQ(bands.edgePoint(1), (Point{63, 127}));
    // Edge 1's rectangle (60, 124)-(67, 131), widened by 5: left and top inclusive.
    EXPECT_EQ(bands.hitHandle({55, 119}), 4 + 1);
    EXPECT_EQ(bands.hitHandle({71, 135}), 4 + 1);
    EXPECT_EQ(bands.hitHandle({72, 127}), -1);
    EXPECT_EQ(bands.hitHandle({63, 136}), -1);
    EXPECT_EQ(bands.hitHandle({92, 66}), 1);  // the drive handle of band 1
    // Two bands of half an octave (11.86 pixels) at the bottom of the level scale: the drive
    // handle of band 0 at (11, 126) lies under both of its edges.
    const float edges[] = {25, 25 * std::sqrt(2.0f), 50, 1000, 22050};
    const float drives[] = {-20, 0, 0, 0};
    ASSERT_TRUE(bands.loadBands(edges, drives));
    ASSERT_EQ(bands.drivePoint(0), (Point{11, 126}));
    EXPECT_EQ(bands.hitHandle({11, 126}), 4 + 1);
    EXPECT_EQ(bands.hitHandle({0, 126}), 4 + 0);
}

TEST(BandGeometry, BandsStartAtTheirLeftEdgeAndTheLastReachesPastTheTop) {
    BandGeometry bands(4, 44100, kHandleArea);
    EXPECT_EQ(bands.bandAt(4), -1);
    EXPECT_EQ(bands.bandAt(5), 0);
    EXPECT_EQ(bands.bandAt(62), 0);
    EXPECT_EQ(bands.bandAt(63), 1);
    EXPECT_EQ(bands.bandAt(237), 3);
    EXPECT_EQ(bands.bandAt(5000), 3);
}

TEST(BandGeometry, MousePointsStayInsideTheAreaAndWrappedOnesGoToTheFloor) {
    const BandGeometry bands(4, 44100, kHandleArea);
    EXPECT_EQ(bands.mousePoint({100, 50}), (Point{100, 50}));
    EXPECT_EQ(bands.mousePoint({4, 200}), (Point{5, 126}));
    EXPECT_EQ(bands.mousePoint({300, -3}), (Point{237, 5}));
    EXPECT_EQ(bands.mousePoint({30001, 30001}), (Point{5, 5}));
}

TEST(BandGeometry, PixelsMapToOctavesAndDecibelsWithinTheArea) {
    const BandGeometry bands(4, 44100, kHandleArea);
    EXPECT_FLOAT_EQ(bands.edgeAtPixel(5), std::log2(25.0f));
    EXPECT_FLOAT_EQ(bands.edgeAtPixel(237), std::log2(22050.0f));
    EXPECT_FLOAT_EQ(bands.edgeAtPixel(-40), std::log2(25.0f));
    EXPECT_NEAR(bands.edgeAtPixel(121), std::log2(25.0f) + 9.7846f / 2, 1e-3);
    EXPECT_FLOAT_EQ(bands.driveAtPixel(66), 0.0f);
    EXPECT_FLOAT_EQ(bands.driveAtPixel(6), 20.0f);
    EXPECT_FLOAT_EQ(bands.driveAtPixel(126), -20.0f);
    EXPECT_FLOAT_EQ(bands.driveAtPixel(900), -20.0f - 1.0f / 3.0f);  // the border, 127
}

TEST(BandGeometry, TheTopIsHalfTheRateOrWhereEveryBandFitsAtHalfAnOctave) {
    EXPECT_FLOAT_EQ(BandGeometry(4, 44100, kHandleArea).maxFreq(), 22050.0f);
    EXPECT_FLOAT_EQ(BandGeometry(4, 120, kHandleArea).maxFreq(), 100.0f);
    EXPECT_FLOAT_EQ(BandGeometry(3, 0, kHandleArea).maxFreq(), 25.0f * std::pow(2.0f, 1.5f));
    BandGeometry single(0, 44100, kHandleArea);  // at least one band
    EXPECT_EQ(single.bandCount(), 1);
    single.setSampleRate(-8000);
    EXPECT_FLOAT_EQ(single.maxFreq(), 25.0f * std::sqrt(2.0f));
    EXPECT_FLOAT_EQ(single.edgeLog(1), std::log2(single.maxFreq()));
    single.setDrive(0, std::nanf(""));
    EXPECT_EQ(single.drive(0), -20.0f);
}

}  // namespace
}  // namespace marrowfold::testing
