#include "host/DemoJob.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "host/AtomicFile.h"
#include "host/AudioFile.h"
#include "host/DemoSignal.h"
#include "host/RenderPicture.h"
#include "host/Renderer.h"
#include "host/ToolError.h"

namespace marrowfold {

namespace {

constexpr char kInputName[] = "demo-input.wav";
constexpr int32_t kDemoBlock = 512;
constexpr int32_t kEnvelopeBuckets = 535;  // two pixels each in the picture

// A file name made of the lower-case letters and digits of `text`, words joined by '-'.
std::string fileStem(const std::string& text) {
    std::string stem;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            stem += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!stem.empty() && stem.back() != '-') {
            stem += '-';
        }
    }
    while (!stem.empty() && stem.back() == '-')
        stem.pop_back();
    return stem;
}

// Float samples, so that the renders keep whatever the presets do beyond full scale.
std::string writeDemoInput(const std::filesystem::path& folder) {
    const StereoSignal signal = synthesizeDemoSignal();
    const std::string path = (folder / kInputName).string();
    AudioWriter writer(
        path, AudioLayout{SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, signal.sampleRate, signal.frames()});
    writer.write(signal.interleaved.data(), signal.frames());
    writer.commit();
    return path;
}

void makeFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw ToolError("cannot make folder '" + folder.string() + "': " + error.message());
}

// Renders the demo input through the first preset of one program; answers the audio seconds
// and the wall-clock seconds the render took.
std::pair<double, double> renderProgram(const std::string& input,
                                        const std::filesystem::path& folder,
                                        const std::string& modulePath, int32_t program,
                                        const std::string& stem, double pictureScale) {
    RenderRequest request;
    request.inputPath = input;
    request.outputPath = (folder / (stem + ".wav")).string();
    request.modulePath = modulePath;
    request.blockSize = kDemoBlock;
    request.envelopeBuckets = kEnvelopeBuckets;
    request.configure = [program](EffectSession& session) {
        session.selectProgram(std::to_string(program));
        session.selectPreset(0);
    };
    const RenderResult result = renderFile(request);
    const ChunkPreset& preset = result.program.presets[result.program.selectedPreset()];
    const double seconds = static_cast<double>(result.layout.frames) / result.layout.sampleRate;
    const std::vector<uint8_t> png =
        drawRenderPicture({result.program.name + " \xC2\xB7 " + preset.name, result.inputPeaks,
                           result.outputPeaks, seconds, result.layout.sampleRate / 2.0, preset},
                          pictureScale);
    const std::string picture = (folder / (stem + ".png")).string();
    writeFileAtomically(picture, png.data(), png.size());
    std::printf("wrote %s and %s\n", request.outputPath.c_str(), picture.c_str());
    return {seconds, result.wallSeconds};
}

}  // namespace

void runDemo(const std::string& folderName, const std::string& modulePath, double pictureScale) {
    const std::filesystem::path folder(folderName);
    makeFolder(folder);
    // File names follow the programs and presets the module ships.
    const std::vector<ChunkProgram> programs = EffectSession(modulePath, 2).programs();
    const std::string input = writeDemoInput(folder);
    std::printf("wrote %s (built-in demo: two strummed chords over a drum pattern)\n",
                input.c_str());
    double audioSeconds = 0.0;
    double wallSeconds = 0.0;
    for (int32_t program = 0; program < static_cast<int32_t>(programs.size()); ++program) {
        const ChunkProgram& shipped = programs[static_cast<size_t>(program)];
        const std::string stem = fileStem(shipped.name + " " + shipped.presets.front().name);
        const auto [seconds, wall] =
            renderProgram(input, folder, modulePath, program, stem, pictureScale);
        audioSeconds += seconds;
        wallSeconds += wall;
    }
    std::printf("rendered %.1f s of stereo audio in %.3f s: real-time factor %.0f\n", audioSeconds,
                wallSeconds, audioSeconds / std::max(wallSeconds, 1e-9));
}

}  // namespace marrowfold
