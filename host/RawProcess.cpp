#include "host/RawProcess.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "host/EffectSession.h"
#include "host/ToolError.h"

namespace marrowfold {

namespace {
constexpr int32_t kStereo = 2;
constexpr size_t kFrameBytes = sizeof(float) * kStereo;
}  // namespace

std::vector<float> readRawStereo(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw ToolError("cannot read input '" + path + "'");
    std::vector<char> bytes;
    try {
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        throw ToolError("cannot read input '" + path + "'");
    }
    if (file.bad()) throw ToolError("cannot read input '" + path + "'");
    if (bytes.size() % kFrameBytes != 0)
        throw ToolError("input '" + path + "' does not hold whole float32 stereo frames");
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(samples.data()));
    return samples;
}

void writeRawStereo(const std::string& path, const std::vector<float>& interleaved) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file)
        file.write(reinterpret_cast<const char*>(interleaved.data()),
                   static_cast<std::streamsize>(interleaved.size() * sizeof(float)));
    file.close();
    if (!file) {
        std::remove(path.c_str());
        throw ToolError("cannot write output '" + path + "'");
    }
}

void processRawFile(const ProcessOptions& options, const std::string& modulePath) {
    const std::vector<float> input = readRawStereo(options.input);
    EffectSession session(modulePath, kStereo);
    session.prepare(kRawSampleRate, options.blockSize);
    if (options.program) session.selectProgram(*options.program);
    if (options.preset) session.selectPreset(*options.preset);
    requestSessionOptions(session, options);
    session.activate();
    std::vector<float> output(input.size());
    const int32_t aligned = session.processAligned(input.data(), output.data(),
                                                   static_cast<int32_t>(input.size() / kStereo));
    const std::vector<float> tail = session.finishAligned();
    std::copy(tail.begin(), tail.end(), output.begin() + static_cast<ptrdiff_t>(aligned) * kStereo);
    writeRawStereo(options.output, output);
}

}  // namespace marrowfold
