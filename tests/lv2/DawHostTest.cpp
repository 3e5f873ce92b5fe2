// A DAW: headless Ardour records the Dummy backend's sine onto a stereo track carrying the
// plug-in with a factory preset and a parameter set, saves and exports the session, reopens it
// and exports again. The reopened session holds the same chunk, both exports are identical, and
// the export is the module's own processing of the recorded take once the region's fade-in has
// left the filters (and before its fade-out).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>

#include "tests/lv2/HostRun.h"
#include "tests/lv2/ModuleReference.h"

namespace marrowfold::testing {
namespace {

constexpr char kPresetLabel[] = "Guitar / Clean Licks";
// Frames the region's fades and the filters' memory of them take at either end.
constexpr int64_t kSettleFrames = 10000;
constexpr int64_t kFadeOutFrames = 1000;
constexpr float kSettledDifference = 1e-6f;

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

TEST(DawHost, HeadlessArdourRecordsSavesReopensAndExportsThePluginsSound) {
    for (const char* program : {"ardour7-lua", "ardour7-export"})
        ASSERT_TRUE(programExists(program)) << program;
    const BundlePath path;
    const std::string out = path.folder().file("");
    const HostRun run = runHost(
        path, {MARROWFOLD_LV2_TEST_SOURCE "/ardour-session.sh", out, kPluginUri, kPresetLabel},
        300);
    ASSERT_EQ(run.exitCode, 0) << run.output << readText(out + "create.log");
    const std::string session = out + "session";

    // Ardour keeps the state of each save in a folder of its own and names it in the session.
    const std::string created = savedBank(stateFolderOf(out + "created.ardour", session));
    EXPECT_FALSE(created.empty());
    EXPECT_EQ(savedBank(stateFolderOf(session + "/session.ardour", session)), created);

    const AudioData first = readAudio(out + "first.wav");
    const AudioData second = readAudio(out + "second.wav");
    ASSERT_GT(first.frames(), 2 * kSettleFrames);
    EXPECT_EQ(first.samples, second.samples);

    const std::vector<float> take = recordedTake(session);
    ASSERT_EQ(static_cast<int64_t>(take.size()), 2 * first.frames());
    const std::vector<float> expected = moduleOutput(take, 1024, [](PluginHost& host) {
        host.setProgram(1);
        host.setParameter(7, 0.0f);
        for (int32_t i = 0; i < 7; ++i)
            host.setParameter(i, host.getParameter(i));
        host.setParameter(5, static_cast<float>(140.0 / 400.0));  // Out at -6 dB
    });
    float largest = 0.0f;
    for (size_t i = 2 * kSettleFrames; i + 2 * kFadeOutFrames < take.size(); ++i)
        largest = std::max(largest, std::fabs(first.samples[i] - expected[i]));
    EXPECT_LT(largest, kSettledDifference);
    float loudest = 0.0f;
    for (const float sample : first.samples)
        loudest = std::max(loudest, std::fabs(sample));
    EXPECT_GT(loudest, 0.01f) << "the sine was recorded and played";
}

}  // namespace
}  // namespace marrowfold::testing
