// The raw-audio tool: the same samples as the render tool for the same audio and choices, the
// demo input it writes, and every refused command line as one line and a non-zero status
// without an output file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ToolTestSupport.h"
#include "host/DemoSignal.h"
#include "host/RawProcess.h"

namespace marrowfold {
namespace {

using testing::AudioData;
using testing::readAudio;
using testing::runProgram;
using testing::runTool;
using testing::TemporaryFolder;
using testing::ToolRun;
using testing::writeAudio;

ToolRun runProcess(const std::vector<std::string>& arguments) {
    return runProgram(MARROWFOLD_PROCESS_TOOL, arguments);
}

// The demo input as the process tool writes it, in demo.raw, and as a float WAV file for the
// render tool, in demo.wav; returns its samples.
std::vector<float> writeDemoFiles(const TemporaryFolder& folder) {
    EXPECT_EQ(runProcess({"--write-demo", folder.file("demo.raw")}).exitCode, 0);
    const std::vector<float> demo = readRawStereo(folder.file("demo.raw"));
    writeAudio(folder.file("demo.wav"),
               {2, static_cast<int32_t>(kRawSampleRate), SF_FORMAT_WAV | SF_FORMAT_FLOAT, demo});
    return demo;
}

TEST(ProcessTool, GivesTheRenderToolsSamplesForTheSameChoices) {
    const TemporaryFolder folder;
    ASSERT_EQ(runProcess({"--write-demo", folder.file("demo.raw")}).exitCode, 0);
    const std::vector<float> demo = readRawStereo(folder.file("demo.raw"));
    EXPECT_EQ(demo, synthesizeDemoSignal().interleaved);

    AudioData wav{2, static_cast<int32_t>(kRawSampleRate), SF_FORMAT_WAV | SF_FORMAT_FLOAT, demo};
    writeAudio(folder.file("demo.wav"), wav);
    const std::vector<std::string> choices = {"--program", "Bass",    "--preset",
                                              "2",         "--block", "300"};
    std::vector<std::string> render = {folder.file("demo.wav"), folder.file("render.wav")};
    std::vector<std::string> process = {folder.file("demo.raw"), folder.file("process.raw")};
    render.insert(render.end(), choices.begin(), choices.end());
    process.insert(process.end(), choices.begin(), choices.end());
    ASSERT_EQ(runTool(render).exitCode, 0);
    const ToolRun run = runProcess(process);
    ASSERT_EQ(run.exitCode, 0) << run.errors;

    const std::vector<float> processed = readRawStereo(folder.file("process.raw"));
    EXPECT_EQ(processed, readAudio(folder.file("render.wav")).samples);
    EXPECT_NE(processed, demo) << "the preset changed nothing";
}

// Both tools take the delay of oversampling and anti-aliasing out the same way, so they still
// agree sample for sample.
TEST(ProcessTool, OversampledGivesTheRenderToolsAlignedSamples) {
    const TemporaryFolder folder;
    const std::vector<float> demo = writeDemoFiles(folder);
    ASSERT_EQ(runTool({folder.file("demo.wav"), folder.file("render.wav"), "--oversampling", "8",
                       "--antialiasing", "--block", "100"})
                  .exitCode,
              0);
    const ToolRun run = runProcess({folder.file("demo.raw"), folder.file("process.raw"),
                                    "--oversampling", "8", "--antialiasing"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<float> processed = readRawStereo(folder.file("process.raw"));
    EXPECT_EQ(processed.size(), demo.size());
    EXPECT_EQ(processed, readAudio(folder.file("render.wav")).samples);
    const std::string help = runProcess({"--help"}).output;
    EXPECT_NE(help.find("--oversampling N"), std::string::npos);
    EXPECT_NE(help.find("--antialiasing"), std::string::npos);
}

// A fully dry mix gives back the input sample for sample at every factor, since the dry path is
// delayed exactly as the processed one and the tool takes that delay out; half and half is the
// average of the input and the processed output.
TEST(ProcessTool, MixBlendsTheInputAlignedWithTheProcessedSignal) {
    const TemporaryFolder folder;
    const std::string demoFile = folder.file("demo.raw");
    ASSERT_EQ(runProcess({"--write-demo", demoFile}).exitCode, 0);
    const std::vector<float> demo = readRawStereo(demoFile);
    const auto processed = [&](const std::vector<std::string>& options) {
        std::vector<std::string> arguments = {demoFile, folder.file("out.raw"), "--block", "300"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const ToolRun run = runProcess(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        return readRawStereo(folder.file("out.raw"));
    };
    for (const char* factor : {"1", "2", "4", "8", "16"}) {
        EXPECT_EQ(processed({"--mix", "0", "--oversampling", factor}), demo) << "factor " << factor;
        EXPECT_EQ(processed({"--mix", "0", "--oversampling", factor, "--antialiasing"}), demo)
            << "factor " << factor << ", anti-aliased";
    }
    const std::vector<float> wet = processed({"--program", "Bass"});
    const std::vector<float> half = processed({"--program", "Bass", "--mix", "50"});
    ASSERT_EQ(half.size(), demo.size());
    for (size_t n = 0; n < demo.size(); ++n)
        ASSERT_EQ(half[n], 0.5f * (demo[n] + wet[n])) << n;
    EXPECT_NE(wet, demo);
    EXPECT_NE(runProcess({"--help"}).output.find("--mix PERCENT"), std::string::npos);
    EXPECT_NE(runTool({"--help"}).output.find("--mix PERCENT"), std::string::npos);
}

// A preset some 29 dB louder than its input: with --auto-gain both tools bring it down alike.
TEST(ProcessTool, AutoGainBringsALoudPresetDownInBothTools) {
    const TemporaryFolder folder;
    writeDemoFiles(folder);
    const std::vector<std::string> preset = {"--program", "Guitar", "--preset", "Heat The Seat"};
    const auto loudestOfSecondHalf = [&](std::vector<std::string> options) {
        std::vector<std::string> arguments = {folder.file("demo.raw"), folder.file("out.raw")};
        arguments.insert(arguments.end(), options.begin(), options.end());
        EXPECT_EQ(runProcess(arguments).exitCode, 0);
        const std::vector<float> out = readRawStereo(folder.file("out.raw"));
        float loudest = 0.0f;
        for (size_t n = out.size() / 2; n < out.size(); ++n)
            loudest = std::max(loudest, std::fabs(out[n]));
        return loudest;
    };
    std::vector<std::string> matched = preset;
    matched.push_back("--auto-gain");
    const float plain = loudestOfSecondHalf(preset);
    EXPECT_LT(loudestOfSecondHalf(matched), 0.1f * plain);

    std::vector<std::string> render = {folder.file("demo.wav"), folder.file("render.wav")};
    render.insert(render.end(), matched.begin(), matched.end());
    ASSERT_EQ(runTool(render).exitCode, 0);
    EXPECT_EQ(readRawStereo(folder.file("out.raw")), readAudio(folder.file("render.wav")).samples);
    EXPECT_NE(runProcess({"--help"}).output.find("--auto-gain"), std::string::npos);
    EXPECT_NE(runTool({"--help"}).output.find("--auto-gain"), std::string::npos);
}

TEST(ProcessTool, RefusesBadCommandLinesAndFilesWithoutWriting) {
    const TemporaryFolder folder;
    const std::string good = folder.file("good.raw");
    const std::string odd = folder.file("odd.raw");
    std::ofstream(good, std::ios::binary).write("\0\0\0\0\0\0\0\0", 8);
    std::ofstream(odd, std::ios::binary).write("\0\0\0\0\0\0", 6);
    const std::string out = folder.file("out.raw");
    const std::vector<std::vector<std::string>> refused = {
        {},
        {good},
        {good, good},
        {folder.file("missing.raw"), out},
        {odd, out},
        {folder.file(""), out},
        {good, out, "--block", "0"},
        {good, out, "--block", "12x"},
        {good, out, "--oversampling", "3"},
        {good, out, "--oversampling", "0"},
        {good, out, "--mix", "-1"},
        {good, out, "--mix", "nan"},
        {good, out, "--mix", "100.5"},
        {good, out, "--mix", "50%"},
        {good, out, "--program", "Nonesuch"},
        {good, out, "--preset", "64"},
        {good, out, "--module", folder.file("missing.so")},
        {good, out, "--loud"},
        {good, out, "--program"},
        {good, folder.file("no/such/folder/out.raw")},
    };
    for (const auto& arguments : refused) {
        const ToolRun run = runProcess(arguments);
        const std::string shown = arguments.empty() ? "(none)" : arguments.back();
        EXPECT_EQ(run.exitCode, 1) << shown;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
        EXPECT_FALSE(std::filesystem::exists(out)) << shown;
    }
    EXPECT_EQ(runProcess({good, out}).exitCode, 0);
    EXPECT_EQ(std::filesystem::file_size(out), 8u);
}

}  // namespace
}  // namespace marrowfold
