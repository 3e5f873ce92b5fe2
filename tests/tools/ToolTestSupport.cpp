#include "ToolTestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace marrowfold::testing {

namespace {

// Appends `word` to a shell command as one single-quoted word. (Appending in place also keeps
// g++ 12 from a false overlap warning on `" " + std::string`.)
void appendWord(std::string& command, const std::string& word) {
    command += command.empty() ? "'" : " '";
    for (const char c : word) {
        if (c == '\'') {
            command += "'\\''";
        } else {
            command += c;
        }
    }
    command += '\'';
}

std::string readText(const std::string& path) {
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

}  // namespace

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "marrowfold-tool-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    root = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::vector<std::string> TemporaryFolder::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

AudioData makeSignal(int32_t channels, int32_t sampleRate, int64_t frames, int32_t format) {
    AudioData audio{channels, sampleRate, format, {}};
    uint32_t seed = 12345u;
    for (int64_t n = 0; n < frames; ++n) {
        for (int32_t ch = 0; ch < channels; ++ch) {
            seed = seed * 1664525u + 1013904223u;
            const double noise = static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
            const double tone = std::sin(2.0 * M_PI * (110.0 * (ch + 1)) * n / sampleRate);
            audio.samples.push_back(static_cast<float>(0.6 * tone + 0.2 * noise));
        }
    }
    return audio;
}

void writeAudio(const std::string& path, const AudioData& audio) {
    SF_INFO info{};
    info.channels = audio.channels;
    info.samplerate = audio.sampleRate;
    info.format = audio.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) throw std::runtime_error("cannot write " + path);
    sf_writef_float(file, audio.samples.data(), audio.frames());
    sf_close(file);
}

AudioData readAudio(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) throw std::runtime_error("cannot read " + path);
    AudioData audio{info.channels, info.samplerate, info.format, {}};
    audio.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    return audio;
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
}

ToolRun runTool(const std::vector<std::string>& arguments) {
    return runProgram(MARROWFOLD_RENDER_TOOL, arguments);
}

ToolRun runProgram(const std::string& program, const std::vector<std::string>& arguments) {
    const TemporaryFolder capture;
    std::string command;
    appendWord(command, program);
    for (const std::string& argument : arguments)
        appendWord(command, argument);
    command += " >";
    appendWord(command, capture.file("out"));
    command += " 2>";
    appendWord(command, capture.file("err"));
    command += " </dev/null";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = readText(capture.file("out"));
    run.errors = readText(capture.file("err"));
    return run;
}

}  // namespace marrowfold::testing
