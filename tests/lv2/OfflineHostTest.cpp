// lv2apply, a real offline host that runs one frame per call, renders a file through the bundle;
// for the same program, preset and parameters the output equals marrowfold-render's at one frame
// per block, float for float.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "dsp/AntialiasedShaping.h"
#include "dsp/Oversampling.h"
#include "tests/lv2/HostRun.h"

namespace marrowfold::testing {
namespace {

constexpr int32_t kRate = 44100;
constexpr int64_t kFrames = kRate / 2;

struct Setting {
    const char* symbol;  // the port
    const char* name;    // the render tool's parameter name
    const char* value;
};

struct RenderCase {
    int32_t program;  // -1: not set
    int32_t preset;   // -1: not set
    int32_t presetCount;
    std::vector<Setting> settings;
};

std::string presetPortValue(int32_t index, int32_t count) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g",
                  static_cast<double>(static_cast<float>(index) / static_cast<float>(count)));
    return text;
}

std::vector<std::string> lv2applyWords(const RenderCase& c, const std::string& in,
                                       const std::string& out) {
    std::vector<std::string> words = {"lv2apply", "-i", in, "-o", out};
    const auto control = [&words](const std::string& symbol, const std::string& value) {
        words.insert(words.end(), {"-c", symbol, value});
    };
    if (c.program >= 0) control("program", std::to_string(c.program));
    if (c.preset >= 0) control("preset", presetPortValue(c.preset, c.presetCount));
    for (const Setting& s : c.settings)
        control(s.symbol, s.value);
    words.push_back(kPluginUri);
    return words;
}

std::vector<std::string> renderArguments(const RenderCase& c, const std::string& in,
                                         const std::string& out) {
    std::vector<std::string> words = {in, out, "--block", "1"};
    if (c.program >= 0) words.insert(words.end(), {"--program", std::to_string(c.program)});
    if (c.preset >= 0) words.insert(words.end(), {"--preset", std::to_string(c.preset)});
    for (const Setting& s : c.settings)
        words.insert(words.end(), {"--set", std::string(s.name) + "=" + s.value});
    return words;
}

TEST(OfflineHost, Lv2applyOutputEqualsTheRenderToolsForTheSameChoices) {
    ASSERT_TRUE(programExists("lv2apply"));
    const BundlePath path;
    const std::string input = path.folder().file("input.wav");
    writeAudio(input, makeSignal(2, kRate, kFrames, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    const RenderCase cases[] = {
        {-1, -1, 0, {}},
        {1, 1, 8, {{"band2", "Band2", "3.3"}, {"shape", "Shape", "2"}}},
        {3, 4, 8, {{"input", "In", "-7.5"}, {"output", "Out", "2.5"}}},
        {0, 15, 17, {{"band4", "Band4", "-11.9"}}},
        {2, -1, 0, {}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string viaHost = path.folder().file("lv2apply.wav");
        const std::string viaTool = path.folder().file("render.wav");
        const HostRun host = runHost(path, lv2applyWords(cases[i], input, viaHost));
        ASSERT_EQ(host.exitCode, 0) << host.output;
        const ToolRun tool = runTool(renderArguments(cases[i], input, viaTool));
        ASSERT_EQ(tool.exitCode, 0) << tool.errors;
        const AudioData hostAudio = readAudio(viaHost);
        const AudioData toolAudio = readAudio(viaTool);
        ASSERT_EQ(hostAudio.frames(), kFrames) << "case " << i;
        EXPECT_EQ(hostAudio.samples, toolAudio.samples) << "case " << i;
    }
}

// Hosts compensate the reported delay, plug-ins do not: at a higher factor, or anti-aliased,
// lv2apply's output is the render tool's (which takes the delay out) arriving `latency` frames
// later.
TEST(OfflineHost, Lv2applyOversampledOutputIsTheRenderToolsDelayedByTheLatency) {
    const BundlePath path;
    const std::string input = path.folder().file("input.wav");
    writeAudio(input, makeSignal(2, kRate, kFrames, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    for (const int32_t factor : {2, 8, -1, -4}) {
        const bool antialiased = factor < 0;
        const std::string viaHost = path.folder().file("lv2apply.wav");
        const std::string viaTool = path.folder().file("render.wav");
        const std::string text = std::to_string(std::abs(factor));
        RenderCase shaped = {1, 2, 8, {{"oversampling", "", text.c_str()}}};
        std::vector<std::string> toolWords = {
            input,      viaTool, "--block",        "1", "--program", "1",
            "--preset", "2",     "--oversampling", text};
        if (antialiased) {
            shaped.settings.push_back({"antialiasing", "", "1"});
            toolWords.push_back("--antialiasing");
        }
        const HostRun host = runHost(path, lv2applyWords(shaped, input, viaHost));
        ASSERT_EQ(host.exitCode, 0) << host.output;
        const ToolRun tool = runTool(toolWords);
        ASSERT_EQ(tool.exitCode, 0) << tool.errors;
        const std::vector<float> hostAudio = readAudio(viaHost).samples;
        const std::vector<float> toolAudio = readAudio(viaTool).samples;
        ASSERT_EQ(hostAudio.size(), toolAudio.size());
        const int32_t latency =
            oversamplingLatency(std::abs(factor), antialiased ? kAntialiasingDelay : 0);
        const auto delay = static_cast<size_t>(latency) * 2;
        ASSERT_GT(delay, 0u);
        EXPECT_TRUE(std::equal(hostAudio.begin() + static_cast<std::ptrdiff_t>(delay),
                               hostAudio.end(), toolAudio.begin()))
            << text << "x" << (antialiased ? ", anti-aliased" : "");
    }
}

}  // namespace
}  // namespace marrowfold::testing
