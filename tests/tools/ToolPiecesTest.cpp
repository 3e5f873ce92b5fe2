// Smaller pieces of the render tool: the command line and the waveform overview.
#include <gtest/gtest.h>

#include "host/Envelope.h"
#include "host/ModuleLocation.h"
#include "host/RenderOptions.h"
#include "host/ToolError.h"

namespace marrowfold {
namespace {

TEST(RenderOptionsTest, ReadsEveryOptionInAnyOrder) {
    const RenderOptions options = parseRenderOptions(
        {"--block",    "64",      "in.wav",     "--format", "pcm24",       "--program",
         "Bass",       "out.wav", "--preset",   "2",        "--set",       "In=3",
         "--set",      "Out=-3",  "--state-in", "a.chunk",  "--state-out", "b.chunk",
         "--bank-out", "c.chunk", "--module",   "m.so"});
    EXPECT_EQ(options.mode, RenderMode::Render);
    EXPECT_EQ(options.input, "in.wav");
    EXPECT_EQ(options.output, "out.wav");
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.sampleFormat, SampleFormat::Pcm24);
    EXPECT_EQ(options.program, "Bass");
    EXPECT_EQ(options.preset, "2");
    ASSERT_EQ(options.settings.size(), 2u);
    EXPECT_EQ(options.settings[1].index, 5);
    EXPECT_EQ(options.stateIn, "a.chunk");
    EXPECT_EQ(options.stateOut, "b.chunk");
    EXPECT_EQ(options.bankOut, "c.chunk");
    EXPECT_EQ(options.modulePath, "m.so");

    EXPECT_EQ(parseRenderOptions({"in.wav", "--help"}).mode, RenderMode::Help);
    EXPECT_EQ(parseRenderOptions({"--list"}).mode, RenderMode::List);
    const RenderOptions demo = parseRenderOptions({"--demo", "out/"});
    EXPECT_EQ(demo.mode, RenderMode::Demo);
    EXPECT_EQ(demo.demoFolder, "out/");
    EXPECT_EQ(demo.pictureScale, 1.0);
    EXPECT_EQ(parseRenderOptions({"--demo", "out/", "--picture-scale", "2.5"}).pictureScale, 2.5);
    EXPECT_FALSE(parseRenderOptions({"a", "b"}).program.has_value());
}

TEST(RenderOptionsTest, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"in.wav"},
        {"a", "b", "c"},
        {"a", "b", "--bogus"},
        {"a", "b", "--block"},
        {"a", "b", "--block", "0"},
        {"a", "b", "--block", "65537"},
        {"a", "b", "--block", "12x"},
        {"a", "b", "--format", "pcm8"},
        {"a", "b", "--set", "Gain=1"},
        {"--list", "a"},
        {"--demo", "out", "a", "b"},
        {"--demo", "out", "--picture-scale", "0.5"},
        {"--demo", "out", "--picture-scale", "5"},
        {"--demo", "out", "--picture-scale", "2x"},
    };
    for (const auto& arguments : bad)
        EXPECT_THROW(parseRenderOptions(arguments), ToolError)
            << ::testing::PrintToString(arguments);
}

TEST(EnvelopeTest, PeaksOfEqualStretchesOverAllChannels) {
    // 10 stereo frames in 4 stretches: frames 0-2, 3-4, 5-7, 8-9 (frame n goes to n * 4 / 10).
    Envelope envelope(10, 4);
    const float first[] = {0.1f, -0.2f, 0.3f, 0.0f, -0.05f, 0.0f, 0.9f, 0.1f};
    const float rest[] = {0.0f, -0.4f, 0.2f, 0.1f, 0.0f, 0.0f, 0.5f, 0.5f, 0.0f, -0.7f, 0.6f, 0.0f};
    envelope.add(first, 4, 2);
    envelope.add(rest, 6, 2);
    const std::vector<float> expected = {0.3f, 0.9f, 0.5f, 0.7f};
    EXPECT_EQ(envelope.peaks(), expected);
}

// A build folder has the module beside the tools; an installed package has it in its LV2 bundle.
TEST(ModuleLocationTest, PrefersTheModuleBesideTheToolThenTheInstalledBundle) {
    const std::string folder = "/opt/tools/";
    const std::string beside = moduleBeside(folder);
    const std::string installed = moduleInInstalledBundle(folder);
    ASSERT_NE(beside, installed);
    EXPECT_EQ(beside.rfind(folder, 0), 0u);
    EXPECT_EQ(installed.rfind(folder, 0), 0u);
    struct Case {
        bool besideExists;
        bool installedExists;
        std::string expected;
    };
    const Case cases[] = {
        {true, true, beside},
        {true, false, beside},
        {false, true, installed},
        {false, false, beside},
    };
    for (const Case& c : cases) {
        const auto exists = [&](const std::string& path) {
            return (path == beside && c.besideExists) || (path == installed && c.installedExists);
        };
        EXPECT_EQ(defaultModulePath(folder, exists), c.expected)
            << c.besideExists << c.installedExists;
    }
}

}  // namespace
}  // namespace marrowfold
