// A DAW: headless Ardour reads the plug-in's latency, records the Dummy backend's sine onto a
// stereo track carrying the plug-in with a factory preset and a parameter set, saves and exports
// the session, reopens it and exports again. The reopened session holds the same chunk, and each
// export is the module's own processing of the recorded take once the region's fade-in has left the
// filters (and before its fade-out).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <limits>
#include <regex>

#include "dsp/Oversampling.h"
#include "tests/lv2/HostRun.h"
#include "tests/lv2/ModuleReference.h"

namespace marrowfold::testing {
namespace {

constexpr char kPresetLabel[] = "Guitar / Clean Licks";
// Frames the region's fades and the filters' memory of them take at either end.
constexpr int64_t kSettleFrames = 10000;
constexpr int64_t kFadeOutFrames = 1000;
constexpr float kSettledDifference = 1e-6f;
constexpr int kStageSeconds = 300;
constexpr int kExportSeconds = 120;
constexpr int kExportAttempts = 3;

// The saved bank of one plug-in state folder: its text from the key on.
std::string savedBank(const std::filesystem::path& stateFolder) {
    const std::string state = readText((stateFolder / "state.ttl").string());
    const size_t key = state.find("urn:marrowfold:lv2:state#bank");
    return key == std::string::npos ? std::string() : state.substr(key);
}

// The plug-in state folder a saved session refers to.
std::filesystem::path stateFolderOf(const std::string& sessionFile, const std::string& session) {
    std::smatch match;
    const std::string text = readText(sessionFile);
    if (!std::regex_search(text, match, std::regex("state-dir=\"([^\"]+)\""))) return {};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(session + "/plugins")) {
        if (entry.path().filename() == match[1].str()) return entry.path();
    }
    return {};
}

std::vector<float> recordedTake(const std::string& session) {
    const std::string folder = session + "/interchange/session/audiofiles/";
    const AudioData left = readAudio(folder + "Take1_Track-1%L.wav");
    const AudioData right = readAudio(folder + "Take1_Track-1%R.wav");
    std::vector<float> stereo;
    for (size_t n = 0; n < left.samples.size() && n < right.samples.size(); ++n)
        stereo.insert(stereo.end(), {left.samples[n], right.samples[n]});
    return stereo;
}

// Runs one stage of the session script.
HostRun runStage(const BundlePath& path, const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {MARROWFOLD_LV2_TEST_SOURCE "/ardour-session.sh"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return runHost(path, words, kStageSeconds);
}

// The largest difference between an export and the module's own output once the region's fades
// have left the filters; infinity when the lengths differ.
float settledDifference(const std::vector<float>& exported, const std::vector<float>& expected) {
    if (exported.size() != expected.size() ||
        exported.size() < 2 * (kSettleFrames + kFadeOutFrames))
        return std::numeric_limits<float>::infinity();
    float largest = 0.0f;
    for (size_t i = 2 * kSettleFrames; i + 2 * kFadeOutFrames < exported.size(); ++i)
        largest = std::max(largest, std::fabs(exported[i] - expected[i]));
    return largest;
}

// ardour7-export on a loaded machine now and then hangs while it starts the export, or starts
// reading the take 16 frames off while the region's fades stay in place (seen with the plug-in
// deactivated as well). Such an export is reported in the log and made again; the one returned
// is the first that matches, else the last.
AudioData exportSession(const BundlePath& path, const std::string& out, const std::string& name,
                        const std::vector<float>& expected) {
    AudioData exported;
    for (int attempt = 1; attempt <= kExportAttempts; ++attempt) {
        const HostRun run = runHost(
            path, {"ardour7-export", "-b", "float", "-o", out + name, out + "session", "session"},
            kExportSeconds);
        const bool written = run.exitCode == 0 && std::filesystem::exists(out + name);
        exported = written ? readAudio(out + name) : AudioData{};
        const float difference = settledDifference(exported.samples, expected);
        if (difference < kSettledDifference) break;
        std::cout << name << ", export " << attempt << ": exit status " << run.exitCode
                  << ", largest settled difference " << difference << "\n"
                  << run.output << std::endl;
    }
    return exported;
}

TEST(DawHost, HeadlessArdourRecordsSavesReopensAndExportsThePluginsSound) {
    for (const char* program : {"ardour7-lua", "ardour7-export"})
        ASSERT_TRUE(programExists(program)) << program;
    const BundlePath path;
    const std::string out = path.folder().file("");
    const HostRun created = runStage(path, {"create", out, kPluginUri, kPresetLabel});
    ASSERT_EQ(created.exitCode, 0) << created.output << readText(out + "create.log");
    const std::string session = out + "session";
    // Ardour reads the delay from the latency port as the oversampling changes.
    const std::string log = readText(out + "create.log");
    EXPECT_NE(log.find("latency at 8x: " + std::to_string(oversamplingLatency(8)) + "\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("latency at 1x: 0\n"), std::string::npos) << log;

    const std::vector<float> take = recordedTake(session);
    ASSERT_GT(static_cast<int64_t>(take.size()), 4 * (kSettleFrames + kFadeOutFrames));
    const std::vector<float> expected = moduleOutput(take, 1024, [](PluginHost& host) {
        host.setProgram(1);
        host.setParameter(7, 0.0f);
        for (int32_t i = 0; i < 7; ++i)
            host.setParameter(i, host.getParameter(i));
        host.setParameter(5, static_cast<float>(140.0 / 400.0));  // Out at -6 dB
    });
    const AudioData first = exportSession(path, out, "first.wav", expected);
    const HostRun reopened = runStage(path, {"reopen", out});
    ASSERT_EQ(reopened.exitCode, 0) << reopened.output << readText(out + "reopen.log");
    const AudioData second = exportSession(path, out, "second.wav", expected);

    // Ardour keeps the state of each save in a folder of its own and names it in the session.
    const std::string createdBank = savedBank(stateFolderOf(out + "created.ardour", session));
    EXPECT_FALSE(createdBank.empty());
    EXPECT_EQ(savedBank(stateFolderOf(session + "/session.ardour", session)), createdBank);

    // On a loaded machine two exports of one session were seen to differ in their last bits
    // (both within the tolerance of the module's processing of the take), so each export is
    // held against that processing rather than bit for bit against the other.
    EXPECT_LT(settledDifference(first.samples, expected), kSettledDifference);
    EXPECT_LT(settledDifference(second.samples, expected), kSettledDifference);
    float loudest = 0.0f;
    for (const float sample : first.samples)
        loudest = std::max(loudest, std::fabs(sample));
    EXPECT_GT(loudest, 0.01f) << "the sine was recorded and played";
}

}  // namespace
}  // namespace marrowfold::testing
