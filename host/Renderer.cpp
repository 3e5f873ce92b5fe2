#include "host/Renderer.h"

#include <sys/stat.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "host/AtomicFile.h"
#include "host/Envelope.h"
#include "host/ProgressBar.h"
#include "host/ToolError.h"

namespace marrowfold {

namespace {

constexpr int32_t kMaxChannels = 2;

volatile std::sig_atomic_t interruptSignal = 0;

void noteInterrupt(int signal) {
    interruptSignal = signal;
}

std::string resolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// The real path a file would get: its folder resolved, its own name kept.
std::string resolvedTarget(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string folderPath = resolvedPath(folder);
    return folderPath.empty() ? std::string() : folderPath + "/" + path.substr(slash + 1);
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return (!path.empty() && path.back() == '/') ||
           (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

// Whether two files to be written, existing or not, are one.
bool samePlace(const std::string& first, const std::string& second) {
    if (sameFile(first, second)) return true;
    const std::string target = resolvedTarget(first);
    return !target.empty() && target == resolvedTarget(second);
}

// Every file the run writes is checked before any work: none may be the input, a folder, or
// another of them, so a finished render is never undone by a state file that cannot land.
void checkDestinations(const RenderRequest& request) {
    std::vector<std::pair<std::string, std::string>> written = {{"output", request.outputPath}};
    for (const StateOutput& state : request.stateOutputs)
        written.emplace_back("state file", state.path);
    for (size_t i = 0; i < written.size(); ++i) {
        const auto& [role, path] = written[i];
        const std::string named = role + " '" + path + "'";
        if (isFolder(path)) throw ToolError(named + " is a folder");
        if (sameFile(request.inputPath, path)) throw ToolError(named + " is the input file");
        for (size_t j = 0; j < i; ++j) {
            if (samePlace(written[j].second, path))
                throw ToolError(named + " is also the " + written[j].first);
        }
    }
}

void checkChannels(const AudioLayout& layout, const std::string& path) {
    if (layout.channels < 1 || layout.channels > kMaxChannels)
        throw ToolError("input '" + path + "' has " + std::to_string(layout.channels) +
                        " channels; only mono and stereo files can be rendered");
    if (layout.sampleRate <= 0) throw ToolError("input '" + path + "' has no valid sample rate");
}

std::vector<std::unique_ptr<AtomicFile>> stageStates(const std::vector<StateOutput>& outputs,
                                                     EffectSession& session) {
    std::vector<std::unique_ptr<AtomicFile>> staged;
    for (const StateOutput& output : outputs) {
        const std::vector<uint8_t> chunk = session.saveState(output.wholeBank);
        staged.push_back(std::make_unique<AtomicFile>(output.path));
        staged.back()->writeAll(chunk.data(), chunk.size());
    }
    return staged;
}

void checkInterrupt() {
    if (interruptSignal != 0) throw ToolError("interrupted");
}

}  // namespace

bool sameFile(const std::string& existing, const std::string& other) {
    struct stat first {};
    struct stat second {};
    if (stat(existing.c_str(), &first) == 0 && stat(other.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    const std::string target = resolvedTarget(other);
    return !target.empty() && target == resolvedPath(existing);
}

void installInterruptHandlers() {
    std::signal(SIGINT, noteInterrupt);
    std::signal(SIGTERM, noteInterrupt);
}

RenderResult renderFile(const RenderRequest& request) {
    AudioReader reader(request.inputPath);
    const AudioLayout& layout = reader.layout();
    checkChannels(layout, request.inputPath);
    checkDestinations(request);

    EffectSession session(request.modulePath, layout.channels);
    session.prepare(static_cast<float>(layout.sampleRate), request.blockSize);
    if (request.configure) request.configure(session);
    session.activate();

    RenderResult result;
    result.program = session.currentProgram();
    result.layout = {chooseFormat(request.outputPath, layout.format, request.sampleFormat),
                     layout.channels, layout.sampleRate, layout.frames};
    AudioWriter writer(request.outputPath, result.layout);
    const auto stagedStates = stageStates(request.stateOutputs, session);

    Envelope inputEnvelope(layout.frames, request.envelopeBuckets);
    Envelope outputEnvelope(layout.frames, request.envelopeBuckets);
    const double seconds = static_cast<double>(layout.frames) / layout.sampleRate;
    ProgressBar progress(stderr, layout.frames,
                         request.showProgress && ProgressBar::wanted(stderr, seconds));
    const size_t blockSamples = static_cast<size_t>(request.blockSize) * layout.channels;
    std::vector<float> input(blockSamples);
    std::vector<float> output(blockSamples);

    const auto start = std::chrono::steady_clock::now();
    int64_t done = 0;
    for (;;) {
        checkInterrupt();
        const auto frames = static_cast<int32_t>(reader.read(input.data(), request.blockSize));
        if (frames == 0) break;
        const int32_t aligned = session.processAligned(input.data(), output.data(), frames);
        writer.write(output.data(), aligned);
        if (request.envelopeBuckets > 0) {
            inputEnvelope.add(input.data(), frames, layout.channels);
            outputEnvelope.add(output.data(), aligned, layout.channels);
        }
        done += frames;
        progress.update(done);
    }
    const std::vector<float> tail = session.finishAligned();
    const auto tailFrames = static_cast<int32_t>(tail.size() / layout.channels);
    writer.write(tail.data(), tailFrames);
    if (request.envelopeBuckets > 0) outputEnvelope.add(tail.data(), tailFrames, layout.channels);
    progress.finish();
    writer.commit();
    result.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const auto& state : stagedStates)
        state->commit();
    result.layout.frames = done;
    result.inputPeaks = inputEnvelope.peaks();
    result.outputPeaks = outputEnvelope.peaks();
    return result;
}

}  // namespace marrowfold
