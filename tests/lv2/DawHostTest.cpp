// A DAW: headless Ardour reads the plug-in's latency, records the Dummy backend's sine onto a
// stereo track carrying the plug-in with a factory preset and a parameter set, saves and exports
// the session, reopens it and exports again. The reopened session holds the same chunk, and each
// export is the module's own processing of the recorded take once the region's fade-in has left the
// filters (and before its fade-out). Last, a factory preset is applied over the reopened session
// and saved at once, with an automation lane that drags band edge 4 down an octave: the export is
// the preset's own processing up to the move, the module's processing at the lane's last value
// after it, and it does not click on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <limits>
#include <numbers>
#include <regex>

#include "dsp/Oversampling.h"
#include "host/ParameterProtocol.h"
#include "lv2/PortLayout.h"
#include "tests/common/ClickMeter.h"
#include "tests/lv2/HostRun.h"
#include "tests/lv2/ModuleReference.h"

namespace marrowfold::testing {
namespace {

constexpr char kPresetLabel[] = "Guitar / Clean Licks";
constexpr char kCleanPresetLabel[] = "Default / Default";
// The lane takes edge 4 to this share of its frequency over the middle third of the take.
constexpr float kEdgeMoveRatio = 0.5f;
constexpr int64_t kLaneParts = 3;
// After the lane's last point the edge has glided to it and the filters have forgotten the move.
constexpr int64_t kGlideSettleFrames = 8192;
constexpr float kMovedDifference = 1e-5f;
// The click meter's signal, which replaces the recorded take for the lane.
constexpr double kMeterSineHz = 1000.0;
constexpr double kMeterSineAmplitude = 0.1;
constexpr double kClickCutoffHz = 5000.0;
// A slow drag of an edge: the click meter's aim around the whole move.
constexpr double kDragClickAim = -85.0;
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

std::string takeFile(const std::string& session, const char* channel) {
    return session + "/interchange/session/audiofiles/Take1_Track-1%" + channel + ".wav";
}

std::vector<float> recordedTake(const std::string& session) {
    const AudioData left = readAudio(takeFile(session, "L"));
    const AudioData right = readAudio(takeFile(session, "R"));
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

// The largest difference between an export and the module's own output over frames [from, to);
// infinity when the lengths differ or the frames are not all there.
float largestDifference(const std::vector<float>& exported, const std::vector<float>& expected,
                        int64_t from, int64_t to) {
    if (exported.size() != expected.size() || from >= to ||
        static_cast<int64_t>(exported.size()) < 2 * to)
        return std::numeric_limits<float>::infinity();
    float largest = 0.0f;
    for (auto i = static_cast<size_t>(2 * from); i < static_cast<size_t>(2 * to); ++i)
        largest = std::max(largest, std::fabs(exported[i] - expected[i]));
    return largest;
}

// The same once the region's fades have left the filters.
float settledDifference(const std::vector<float>& exported, const std::vector<float>& expected) {
    const auto frames = static_cast<int64_t>(expected.size() / 2);
    return largestDifference(exported, expected, kSettleFrames, frames - kFadeOutFrames);
}

// ardour7-export on a loaded machine now and then hangs while it starts the export, or starts
// reading the take 16 frames off while the region's fades stay in place (seen with the plug-in
// deactivated as well). Such an export is reported in the log and made again; the one returned
// is the first that is the module's own processing over frames [from, to), else the last.
AudioData exportSession(const BundlePath& path, const std::string& out, const std::string& name,
                        const std::vector<float>& expected, int64_t from, int64_t to) {
    AudioData exported;
    for (int attempt = 1; attempt <= kExportAttempts; ++attempt) {
        const HostRun run = runHost(
            path, {"ardour7-export", "-b", "float", "-o", out + name, out + "session", "session"},
            kExportSeconds);
        const bool written = run.exitCode == 0 && std::filesystem::exists(out + name);
        exported = written ? readAudio(out + name) : AudioData{};
        const float difference = largestDifference(exported.samples, expected, from, to);
        if (difference < kSettledDifference) break;
        std::cout << name << ", export " << attempt << ": exit status " << run.exitCode
                  << ", largest settled difference " << difference << "\n"
                  << run.output << std::endl;
    }
    return exported;
}

AudioData exportSession(const BundlePath& path, const std::string& out, const std::string& name,
                        const std::vector<float>& expected) {
    const auto frames = static_cast<int64_t>(expected.size() / 2);
    return exportSession(path, out, name, expected, kSettleFrames, frames - kFadeOutFrames);
}

std::vector<float> leftChannel(const std::vector<float>& stereo) {
    std::vector<float> left(stereo.size() / 2);
    for (size_t n = 0; n < left.size(); ++n)
        left[n] = stereo[2 * n];
    return left;
}

// The backend's sine lies far below edge 4, where a move of the edge changes nearly nothing, so
// the take's two files are overwritten with the click meter's sine, in their own format and
// length; the session plays them as it played the take.
std::vector<float> replaceTakeWithMeterSine(const std::string& session) {
    for (const char* channel : {"L", "R"}) {
        AudioData audio = readAudio(takeFile(session, channel));
        for (size_t n = 0; n < audio.samples.size(); ++n)
            audio.samples[n] = static_cast<float>(
                kMeterSineAmplitude * std::sin(2.0 * std::numbers::pi * kMeterSineHz *
                                               static_cast<double>(n) / audio.sampleRate));
        writeAudio(takeFile(session, channel), audio);
    }
    return recordedTake(session);
}

// "Default / Default" over the reopened session, saved at once, and a lane that drags edge 4 from
// its place down to kEdgeMoveRatio of it over the middle third of the take. The ports Ardour saves
// are ahead of the bank it saves, as the plug-in has not run since the preset was applied.
void expectAnAutomatedEdgeToGlide(const BundlePath& path, const std::string& out) {
    const std::vector<float> take = replaceTakeWithMeterSine(out + "session");
    const auto frames = static_cast<int64_t>(take.size() / 2);
    const int64_t start = frames / kLaneParts;
    const int64_t end = 2 * frames / kLaneParts;
    const float from = startingBands().edgeHz[3];
    const float to = from * kEdgeMoveRatio;
    const HostRun automated =
        runStage(path, {"automate", out, kCleanPresetLabel,
                        std::to_string(lv2::portOfControl(ControlEdge4)), std::to_string(from),
                        std::to_string(to), std::to_string(start), std::to_string(end)});
    ASSERT_EQ(automated.exitCode, 0) << automated.output << readText(out + "automate.log");

    const std::vector<float> clean = moduleOutput(take, 1024);
    const std::vector<float> moved = moduleOutput(take, 1024, [to](PluginHost& host) {
        BandControls bands = readModuleBands(*host.record());
        bands.edgeHz[3] = to;
        editModuleBands(*host.record(), bands);
    });
    const AudioData exported =
        exportSession(path, out, "automated.wav", clean, kSettleFrames, start);
    EXPECT_LT(largestDifference(exported.samples, clean, kSettleFrames, start), kSettledDifference);
    const int64_t settled = end + kGlideSettleFrames;
    const float heard = largestDifference(moved, clean, settled, frames - kFadeOutFrames);
    const float after =
        largestDifference(exported.samples, moved, settled, frames - kFadeOutFrames);
    const std::vector<float> left = leftChannel(exported.samples);
    const auto meter = [&](int64_t begin, int64_t stop) {
        return clickDecibels(left, static_cast<size_t>(begin), static_cast<size_t>(stop),
                             exported.sampleRate, kClickCutoffHz);
    };
    const double floor = meter(kSettleFrames, start);
    const double click = meter(start, settled);
    std::printf(
        "edge 4 automated from %.1f to %.1f Hz over frames %lld to %lld: settled %.1f, "
        "around the move %.1f dBFS; after it %.2g from the module at %.1f Hz, %.2g from "
        "the preset\n",
        from, to, static_cast<long long>(start), static_cast<long long>(end), floor, click, after,
        to, heard);
    EXPECT_LT(after, kMovedDifference);
    EXPECT_GT(heard, kMovedDifference) << "the lane's last value changes the sound";
    EXPECT_LE(click, kDragClickAim);
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

    expectAnAutomatedEdgeToGlide(path, out);
}

}  // namespace
}  // namespace marrowfold::testing
