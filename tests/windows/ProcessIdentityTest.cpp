// The same sound on both builds: the demo input through the first preset of every factory
// program, processed by marrowfold-process on the build machine and by marrowfold-process.exe
// under wine (tests/windows/process-on-both.sh writes both).
//
// Every kernel computes the same bits on SSE2 for the same coefficients; only the coefficients
// may differ, since they come from each platform's math library (tan, cos, pow, log2, exp2),
// which differ by about one unit in the last place of a double. Such a difference moves a float
// output sample by at most a rounding step, about 2.4e-7 at the magnitudes the factory presets
// reach (below 4); the tolerance allows a few such steps.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "host/RawProcess.h"

namespace marrowfold {
namespace {

constexpr float kTolerance = 1e-6f;
constexpr int32_t kFactoryPrograms = 4;

std::string rawFile(const std::string& name) {
    return std::string(MARROWFOLD_PROCESS_FOLDER) + "/" + name + ".raw";
}

TEST(ProcessIdentity, WindowsOutputMatchesTheBuildMachinesForEveryFactoryProgram) {
    const std::vector<float> input = readRawStereo(rawFile("demo"));
    ASSERT_GT(input.size(), 0u);
    for (int32_t program = 0; program < kFactoryPrograms; ++program) {
        const std::string suffix = std::to_string(program);
        const std::vector<float> native = readRawStereo(rawFile("native-" + suffix));
        const std::vector<float> windows = readRawStereo(rawFile("windows-" + suffix));
        ASSERT_EQ(native.size(), input.size()) << "program " << program;
        ASSERT_EQ(windows.size(), input.size()) << "program " << program;
        float largestDifference = 0.0f;
        float peak = 0.0f;
        size_t differing = 0;
        for (size_t i = 0; i < native.size(); ++i) {
            ASSERT_TRUE(std::isfinite(windows[i])) << "program " << program << " sample " << i;
            const float difference = std::fabs(native[i] - windows[i]);
            largestDifference = std::max(largestDifference, difference);
            peak = std::max(peak, std::fabs(native[i]));
            differing += difference > 0.0f ? 1 : 0;
        }
        std::printf("program %d: max difference %.3g (peak %.3g), %zu of %zu samples differ\n",
                    program, largestDifference, peak, differing, native.size());
        EXPECT_LE(largestDifference, kTolerance) << "program " << program;
        EXPECT_GT(peak, 0.0f) << "program " << program << " is silent";
    }
}

}  // namespace
}  // namespace marrowfold
