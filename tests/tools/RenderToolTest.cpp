// The built render tool run on generated files as a user runs it: formats and rates kept,
// lengths kept, the audio exactly what a plain host loop over the module gives, presets and
// state files, every refused input, and repeatable output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>

#include "ToolTestSupport.h"
#include "host/ChunkFormat.h"
#include "host/DemoSignal.h"
#include "host/PluginHost.h"
#include "host/PluginModule.h"

namespace marrowfold {
namespace {

using testing::AudioData;
using testing::makeSignal;
using testing::readAudio;
using testing::readBytes;
using testing::runTool;
using testing::TemporaryFolder;
using testing::ToolRun;
using testing::writeAudio;

constexpr int32_t kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int32_t kWavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

// The module driven by a plain host loop: rate, block size, activation, replacing process in
// blocks. What the tool must reproduce sample for sample.
std::vector<float> renderDirectly(const AudioData& input, int32_t block) {
    PluginModule module;
    EXPECT_TRUE(module.open(MARROWFOLD_MODULE_PATH)) << module.error();
    HostSettings settings;
    if (input.channels == 1) settings.unwiredInputs.insert(1);
    PluginHost host(settings);
    EXPECT_TRUE(host.create(module));
    host.setSampleRate(static_cast<float>(input.sampleRate));
    host.setBlockSize(block);
    host.setActive(true);
    std::vector<float> in[2] = {std::vector<float>(block), std::vector<float>(block)};
    std::vector<float> out[2] = {std::vector<float>(block), std::vector<float>(block)};
    std::vector<float> result;
    for (int64_t start = 0; start < input.frames(); start += block) {
        const auto frames = static_cast<int32_t>(std::min<int64_t>(block, input.frames() - start));
        for (int32_t n = 0; n < frames; ++n) {
            for (int32_t ch = 0; ch < input.channels; ++ch)
                in[ch][n] = input.samples[(start + n) * input.channels + ch];
        }
        float* inputs[2] = {in[0].data(), in[1].data()};
        float* outputs[2] = {out[0].data(), out[1].data()};
        host.processReplace(inputs, outputs, frames);
        for (int32_t n = 0; n < frames; ++n) {
            for (int32_t ch = 0; ch < input.channels; ++ch)
                result.push_back(out[ch][n]);
        }
    }
    host.close();
    return result;
}

// Swaps the two channels of stereo samples.
std::vector<float> swapped(const std::vector<float>& samples) {
    std::vector<float> result(samples);
    for (size_t n = 0; n + 1 < result.size(); n += 2)
        std::swap(result[n], result[n + 1]);
    return result;
}

class RenderTool : public ::testing::Test {
  protected:
    std::string input(int32_t channels, int32_t rate, int32_t format, int64_t frames = 20000) {
        const std::string path = folder.file("in-" + std::to_string(inputs++) + ".wav");
        writeAudio(path, makeSignal(channels, rate, frames, format));
        return path;
    }

    // Renders and expects success; answers the output.
    AudioData render(const std::string& in, const std::string& name,
                     std::vector<std::string> options = {}) {
        options.insert(options.begin(), {in, folder.file(name)});
        const ToolRun run = runTool(options);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(run.errors, "") << "quiet when not on a terminal";
        return readAudio(folder.file(name));
    }

    TemporaryFolder folder;
    int inputs = 0;
};

TEST_F(RenderTool, KeepsChannelsRateAndLengthAndWritesTheChosenEncoding) {
    for (const int32_t channels : {1, 2}) {
        for (const int32_t rate : {44100, 48000}) {
            const std::string in = input(channels, rate, kWav16, 12345);
            SCOPED_TRACE(std::to_string(channels) + " channels at " + std::to_string(rate));
            const AudioData same = render(in, "same.wav");
            const AudioData asFloat = render(in, "float.wav", {"--format", "float"});
            const AudioData as24 = render(in, "pcm24.wav", {"--format", "pcm24"});
            for (const AudioData* out : {&same, &asFloat, &as24}) {
                EXPECT_EQ(out->channels, channels);
                EXPECT_EQ(out->sampleRate, rate);
                EXPECT_EQ(out->frames(), 12345);
            }
            EXPECT_EQ(same.format, kWav16);
            EXPECT_EQ(asFloat.format, kWavFloat);
            EXPECT_EQ(as24.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
        }
    }
}

TEST_F(RenderTool, OutputContainerFollowsTheExtension) {
    const std::string in = input(2, 44100, kWav16, 3000);
    EXPECT_EQ(render(in, "out.FLAC").format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(render(in, "out.aiff", {"--format", "pcm24"}).format,
              SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    EXPECT_EQ(render(in, "out.audio").format, kWav16) << "an unknown extension keeps the input's";
    const ToolRun floatFlac = runTool({input(1, 44100, kWavFloat, 3000), folder.file("f.flac")});
    EXPECT_EQ(floatFlac.exitCode, 1);
    EXPECT_NE(floatFlac.errors.find("--format chooses another"), std::string::npos);
}

TEST_F(RenderTool, AudioIsWhatAPlainHostLoopGivesForAnyBlockSize) {
    for (const int32_t channels : {1, 2}) {
        const std::string in = input(channels, 48000, kWavFloat, 5000);
        const AudioData source = readAudio(in);
        for (const int32_t block : {64, 333, 512}) {
            SCOPED_TRACE(std::to_string(channels) + " channels, block " + std::to_string(block));
            const AudioData out = render(in, "out.wav", {"--block", std::to_string(block)});
            EXPECT_EQ(out.samples, renderDirectly(source, block));
        }
    }
}

TEST_F(RenderTool, StereoChannelsStayApart) {
    const std::string in = input(2, 44100, kWavFloat, 4000);
    AudioData mirrored = readAudio(in);
    mirrored.samples = swapped(mirrored.samples);
    writeAudio(folder.file("mirrored.wav"), mirrored);
    const AudioData out = render(in, "out.wav");
    const AudioData outMirrored = render(folder.file("mirrored.wav"), "out-mirrored.wav");
    EXPECT_EQ(swapped(out.samples), outMirrored.samples);
    EXPECT_NE(out.samples, readAudio(in).samples) << "the effect changes the sound";
}

// Program chunk offsets, from the documented layout: record i of the preset bank starts at
// 32 + 100 i, its four drives first.
constexpr size_t kRecordOffset = 32;
constexpr size_t kRecordSize = 100;

void putBigEndianFloat(std::vector<uint8_t>& bytes, size_t offset, float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    for (int k = 0; k < 4; ++k)
        bytes[offset + k] = static_cast<uint8_t>(word >> (24 - 8 * k));
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST_F(RenderTool, PresetByNameOrNumberPlaysThePresetAsStored) {
    const std::string in = input(2, 44100, kWavFloat);
    const AudioData byNumber =
        render(in, "number.wav",
               {"--program", "1", "--preset", "3", "--state-out", folder.file("p.chunk")});
    const AudioData byName =
        render(in, "name.wav", {"--program", "guitar", "--preset", "CRYSTAL LEAD"});
    EXPECT_EQ(byNumber.samples, byName.samples);
    EXPECT_EQ(render(in, "program.wav", {"--program", "Guitar"}).samples,
              render(in, "first.wav", {"--program", "Guitar", "--preset", "0"}).samples)
        << "a program plays its selected preset, the first one in the factory bank";
    EXPECT_NE(byNumber.samples,
              render(in, "other.wav", {"--program", "1", "--preset", "2"}).samples);

    const ChunkProgram saved = decodeProgramChunk(readBytes(folder.file("p.chunk")));
    EXPECT_EQ(saved.selectedPreset(), 3);
    EXPECT_EQ(saved.presets[3].name, "Crystal Lead");

    // The preset's drives and edges take part: the same state with one drive raised and one
    // edge moved sounds different, and unchanged it sounds the same.
    EXPECT_EQ(render(in, "restored.wav", {"--state-in", folder.file("p.chunk")}).samples,
              byNumber.samples);
    std::vector<uint8_t> edited = readBytes(folder.file("p.chunk"));
    putBigEndianFloat(edited, kRecordOffset + 3 * kRecordSize, 20.0f);
    writeBytes(folder.file("drive.chunk"), edited);
    EXPECT_NE(render(in, "drive.wav", {"--state-in", folder.file("drive.chunk")}).samples,
              byNumber.samples);
    edited = readBytes(folder.file("p.chunk"));
    putBigEndianFloat(edited, kRecordOffset + 3 * kRecordSize + 16 + 2 * 4, 3000.0f);
    writeBytes(folder.file("edge.chunk"), edited);
    EXPECT_NE(render(in, "edge.wav", {"--state-in", folder.file("edge.chunk")}).samples,
              byNumber.samples);
}

TEST_F(RenderTool, SavedStateRendersTheSameAudio) {
    const std::string in = input(1, 48000, kWav16);
    const std::vector<std::string> choices = {"--program", "Bass",    "--preset", "Extra Top",
                                              "--set",     "In=4.5",  "--set",    "shape=1",
                                              "--set",     "Band2=-7"};
    std::vector<std::string> saving = choices;
    saving.insert(saving.end(),
                  {"--state-out", folder.file("p.chunk"), "--bank-out", folder.file("b.chunk")});
    render(in, "first.wav", saving);
    EXPECT_EQ(readBytes(folder.file("p.chunk")).size(), kProgramChunkSize);
    EXPECT_EQ(readBytes(folder.file("b.chunk")).size(), kBankChunkSize);
    render(in, "program.wav", {"--state-in", folder.file("p.chunk")});
    render(in, "bank.wav", {"--state-in", folder.file("b.chunk"), "--program", "2"});
    EXPECT_EQ(readBytes(folder.file("program.wav")), readBytes(folder.file("first.wav")));
    EXPECT_EQ(readBytes(folder.file("bank.wav")), readBytes(folder.file("first.wav")));

    const ChunkPreset stored = decodeProgramChunk(readBytes(folder.file("p.chunk"))).presets[3];
    EXPECT_NEAR(stored.inputGain, 4.5f, 1e-5f);
    EXPECT_EQ(stored.shape, 1);
    EXPECT_NEAR(stored.bandLevel[1], -7.0f, 1e-5f);
    const AudioData plain = render(in, "plain.wav", {"--program", "Bass", "--preset", "Extra Top"});
    EXPECT_NE(plain.samples, readAudio(folder.file("first.wav")).samples)
        << "the --set values change the sound";
}

TEST_F(RenderTool, SameCommandGivesIdenticalFiles) {
    const std::string in = input(2, 44100, kWav16);
    for (const char* format : {"pcm16", "float"}) {
        render(in, "a.wav", {"--format", format, "--preset", "DrumSmasher"});
        render(in, "b.wav", {"--format", format, "--preset", "DrumSmasher"});
        EXPECT_EQ(readBytes(folder.file("a.wav")), readBytes(folder.file("b.wav"))) << format;
    }
}

TEST_F(RenderTool, ListShowsProgramsAndPresetsFromTheModule) {
    const ToolRun run = runTool({"--list"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    for (const char* line :
         {R"(program 1 "Guitar" \(8 presets\))", R"(\n +0 +Clean Licks +4 +6\.0 +6\.0\n)",
          R"(\n +16 +60s Lead +1 +20\.0 +-11\.5\n)", R"(\n +7 +Grel Drums +3 +0\.0 +12\.0\n)"})
        EXPECT_TRUE(std::regex_search(run.output, std::regex(line))) << line << "\n" << run.output;
}

// Each refused input: exit status 1, one line on standard error saying what is wrong, and
// neither the output file nor a temporary file left in the folder.
TEST_F(RenderTool, BadInputIsRefusedWithoutLeavingFiles) {
    const std::string good = input(2, 44100, kWav16);
    writeBytes(folder.file("noise.wav"), std::vector<uint8_t>(4000, 0x5A));
    writeAudio(folder.file("three.wav"), makeSignal(3, 44100, 1000, kWav16));
    writeAudio(folder.file("in.flac"),
               makeSignal(2, 44100, 1000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
    writeBytes(folder.file("short.chunk"), std::vector<uint8_t>(kProgramChunkSize - 1, 0));
    const std::string out = folder.file("out.wav");
    const std::string sameAsInput = folder.file("./") + "in-0.wav";
    std::filesystem::create_symlink(good, folder.file("link.wav"));
    const std::string states = folder.file("states");
    std::filesystem::create_directory(states);
    const std::vector<uint8_t> inputBytes = readBytes(good);
    const std::vector<std::string> before = folder.entries();

    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{folder.file("missing.wav"), out}, "does not exist"},
        {{folder.file("noise.wav"), out}, "cannot read"},
        {{folder.file("three.wav"), out}, "3 channels"},
        {{folder.file("in.flac"), folder.file("out.flac"), "--format", "float"}, "cannot write"},
        {{good, out, "--program", "Organ"}, "unknown program 'Organ'"},
        {{good, out, "--program", "4"}, "unknown program '4'"},
        {{good, out, "--program", "1", "--preset", "8"}, "unknown preset '8'"},
        {{good, out, "--preset", "Nonexistent"}, "unknown preset 'Nonexistent'"},
        {{good, out, "--set", "Drive=3"}, "unknown parameter 'Drive'"},
        {{good, out, "--set", "In=20.5"}, "outside -20..20"},
        {{good, out, "--set", "Shape=-1"}, "outside 0..4"},
        {{good, out, "--set", "Out=loud"}, "not a number"},
        {{good, out, "--state-in", folder.file("short.chunk")}, "6499 bytes"},
        {{good, out, "--state-in", folder.file("none.chunk")}, "cannot read state file"},
        {{good, sameAsInput}, "is the input file"},
        {{good, folder.file("link.wav")}, "is the input file"},
        {{good, folder.file("missing/out.wav")}, "cannot write"},
        {{good, states}, "output '" + states + "' is a folder"},
        {{good, out, "--state-in", states}, "cannot read state file"},
        {{good, out, "--state-out", good}, "state file '" + good + "' is the input file"},
        {{good, out, "--bank-out", states + "/"}, "is a folder"},
        {{good, out, "--bank-out", out}, "is also the output"},
        {{good, out, "--state-out", folder.file("a.chunk"), "--bank-out", folder.file("a.chunk")},
         "is also the state file"},
        {{good, out, "--block", "0"}, "--block needs"},
        {{good, out, "--oversampling", "3"}, "--oversampling takes 1, 2, 4, 8 or 16, got '3'"},
        {{good, out, "--oversampling", "32"}, "--oversampling takes"},
        {{good, out, "--mix", "inf"}, "--mix takes a percentage from 0 to 100, got 'inf'"},
        {{good, out, "--module", folder.file("none.so")}, "cannot load module"},
    };
    for (const auto& [arguments, message] : cases) {
        const ToolRun run = runTool(arguments);
        SCOPED_TRACE(message);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.errors.find(message), std::string::npos) << run.errors;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
        EXPECT_EQ(folder.entries(), before) << "no output or temporary file";
    }
    EXPECT_EQ(readBytes(good), inputBytes);
}

// The lag (within maxLag frames) at which the first channels of two interleaved signals
// correlate most.
int32_t correlationPeak(const AudioData& a, const AudioData& b, int32_t maxLag) {
    int32_t best = 0;
    double bestSum = -1e300;
    for (int32_t lag = -maxLag; lag <= maxLag; ++lag) {
        double sum = 0.0;
        for (int64_t n = std::max(0, -lag); n + std::max(0, lag) < a.frames(); ++n)
            sum +=
                static_cast<double>(a.samples[n * a.channels]) * b.samples[(n + lag) * b.channels];
        if (sum > bestSum) {
            bestSum = sum;
            best = lag;
        }
    }
    return best;
}

// Oversampling and anti-aliasing delay the module's output; the tool takes the delay out, so the
// output of a musical signal lines up with the factor-1 output, and is exactly as long, whatever
// the block size. (The resampling delays high frequencies a little more than low ones, so white
// noise would line up a sample later.)
TEST_F(RenderTool, OversampledOutputIsAlignedWithTheInputAndAsLong) {
    constexpr int32_t kMaxLag = 8;
    constexpr size_t kFrames = 30000;
    std::vector<float> demo = synthesizeDemoSignal().interleaved;
    demo.resize(2 * kFrames);
    const std::string in = folder.file("demo.wav");
    writeAudio(in, {2, 44100, kWavFloat, demo});
    const AudioData plain = render(in, "plain.wav", {"--set", "In=-12"});
    struct Setting {
        const char* factor;
        const char* block;
        bool antialiased;
    };
    for (const Setting& setting :
         {Setting{"2", "1", false}, Setting{"8", "512", false}, Setting{"16", "1", false},
          Setting{"16", "512", false}, Setting{"1", "512", true}, Setting{"2", "1", true},
          Setting{"4", "512", true}}) {
        const std::string name = std::string("x") + setting.factor + "-" + setting.block +
                                 (setting.antialiased ? "-aa" : "");
        SCOPED_TRACE(name);
        std::vector<std::string> options = {"--set",        "In=-12",  "--oversampling",
                                            setting.factor, "--block", setting.block};
        if (setting.antialiased) options.push_back("--antialiasing");
        const AudioData over = render(in, name + ".wav", options);
        EXPECT_EQ(over.samples.size(), plain.samples.size());
        EXPECT_EQ(correlationPeak(plain, over, kMaxLag), 0);
        EXPECT_NE(over.samples, plain.samples);
    }
    const std::string help = runTool({"--help"}).output;
    EXPECT_NE(help.find("--oversampling N"), std::string::npos);
    EXPECT_NE(help.find("--antialiasing"), std::string::npos);
}

TEST_F(RenderTool, DemoWritesEachProgramsFirstPresetWithAPicture) {
    const ToolRun run = runTool({"--demo", folder.file("out")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.output.find("real-time factor"), std::string::npos);
    const AudioData demo = readAudio(folder.file("out/demo-input.wav"));
    EXPECT_EQ(demo.channels, 2);
    EXPECT_EQ(demo.sampleRate, 44100);
    EXPECT_GT(demo.frames(), 3 * 44100);
    const std::vector<uint8_t> pngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const char* stem :
         {"default-default", "guitar-clean-licks", "bass-sulking-rhythm", "drums-garage-drums"}) {
        SCOPED_TRACE(stem);
        const AudioData out = readAudio(folder.file(std::string("out/") + stem + ".wav"));
        EXPECT_EQ(out.frames(), demo.frames());
        EXPECT_NE(out.samples, demo.samples);
        const std::vector<uint8_t> png =
            readBytes(folder.file(std::string("out/") + stem + ".png"));
        ASSERT_GT(png.size(), pngSignature.size());
        EXPECT_TRUE(std::equal(pngSignature.begin(), pngSignature.end(), png.begin()));
    }
    // The picture's width and height, from the PNG's header.
    const auto pictureSize = [&](const char* stem) {
        const std::vector<uint8_t> png = readBytes(folder.file(std::string("out/") + stem));
        const auto word = [&](size_t at) {
            return png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        };
        return png.size() < 24 ? std::make_pair(0, 0) : std::make_pair(word(16), word(20));
    };
    EXPECT_EQ(pictureSize("guitar-clean-licks.png"), std::make_pair(1200, 850));
    const std::vector<uint8_t> first = readBytes(folder.file("out/guitar-clean-licks.wav"));
    ASSERT_EQ(runTool({"--demo", folder.file("out"), "--picture-scale", "2"}).exitCode, 0);
    EXPECT_EQ(readBytes(folder.file("out/guitar-clean-licks.wav")), first);
    EXPECT_EQ(pictureSize("guitar-clean-licks.png"), std::make_pair(2400, 1700))
        << "the picture is drawn twice as large";
}

}  // namespace
}  // namespace marrowfold
