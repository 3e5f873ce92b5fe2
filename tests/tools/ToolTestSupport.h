#pragma once

#include <sndfile.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace marrowfold::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    std::string file(const std::string& name) const { return (root / name).string(); }
    // Names of everything in the folder, sorted.
    std::vector<std::string> entries() const;

  private:
    std::filesystem::path root;
};

// Audio as read from or written to a file: interleaved samples and the file's description.
struct AudioData {
    int32_t channels = 0;
    int32_t sampleRate = 0;
    int32_t format = 0;
    std::vector<float> samples;

    int64_t frames() const {
        return channels ? static_cast<int64_t>(samples.size()) / channels : 0;
    }
};

// A deterministic test signal: a different tone and noise mix on each channel, loud enough to
// drive the effect into its curves.
AudioData makeSignal(int32_t channels, int32_t sampleRate, int64_t frames, int32_t format);
void writeAudio(const std::string& path, const AudioData& audio);
AudioData readAudio(const std::string& path);
std::vector<uint8_t> readBytes(const std::string& path);

// One run of the built tool.
struct ToolRun {
    int exitCode = -1;
    std::string output;  // standard output
    std::string errors;  // standard error
};

// Runs marrowfold-render with the arguments, each passed as one word.
ToolRun runTool(const std::vector<std::string>& arguments);
// Runs another program the same way.
ToolRun runProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace marrowfold::testing
