#include "host/EffectSession.h"

#include <strings.h>

#include <algorithm>
#include <charconv>

#include "core/VendorRequests.h"
#include "host/ParameterProtocol.h"
#include "host/ToolError.h"

namespace marrowfold {

namespace {

constexpr int32_t kModuleChannels = 2;
// The wiring question counts inputs from 0; a mono file leaves the second one unwired.
constexpr int32_t kSecondInput = 1;
constexpr intptr_t kChunkRefused = -1;

HostSettings settingsFor(int32_t channels) {
    HostSettings settings;
    settings.productName = "marrowfold-render";
    if (channels == 1) settings.unwiredInputs.insert(kSecondInput);
    return settings;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::vector<std::string> programNames(const std::vector<ChunkProgram>& programs) {
    std::vector<std::string> names;
    for (const ChunkProgram& program : programs)
        names.push_back(program.name);
    return names;
}

}  // namespace

int32_t pickByNumberOrName(const std::string& choice, const std::vector<std::string>& names) {
    int32_t number = -1;
    const char* end = choice.data() + choice.size();
    const auto [stop, status] = std::from_chars(choice.data(), end, number);
    if (!choice.empty() && status == std::errc() && stop == end)
        return number >= 0 && number < static_cast<int32_t>(names.size()) ? number : -1;
    for (size_t i = 0; i < names.size(); ++i) {
        if (strcasecmp(names[i].c_str(), choice.c_str()) == 0) return static_cast<int32_t>(i);
    }
    return -1;
}

EffectSession::EffectSession(const std::string& modulePath, int32_t channels)
    : host(settingsFor(channels)), channelCount(channels) {
    if (!module.open(modulePath))
        throw ToolError("cannot load module '" + modulePath + "': " + module.error());
    if (!host.create(module)) throw ToolError("module '" + modulePath + "' refused to start");
    if (host.record()->inputCount != kModuleChannels ||
        host.record()->outputCount != kModuleChannels)
        throw ToolError("module '" + modulePath + "' is not a stereo effect");
    checkParameterNames();
}

void EffectSession::checkParameterNames() {
    if (const std::optional<TitleMismatch> mismatch = findTitleMismatch(*host.record()))
        throw ToolError(mismatch->describe() + ", which this tool knows");
}

void EffectSession::prepare(float sampleRate, int32_t blockSize) {
    host.setSampleRate(sampleRate);
    host.setBlockSize(blockSize);
    blockFrames = blockSize;
    inputPlanes.assign(static_cast<size_t>(kModuleChannels) * blockSize, 0.0f);
    outputPlanes.assign(static_cast<size_t>(kModuleChannels) * blockSize, 0.0f);
}

void EffectSession::activate() {
    host.setActive(true);
    framesToDrop = latency();
}

void EffectSession::setOversampling(int32_t factor) {
    if (host.dispatch(ReqVendorSpecific, kOversamplingRequestIndex, kOversamplingRequestValue,
                      nullptr, static_cast<float>(factor)) != 1)
        throw ToolError("the module refused oversampling by " + std::to_string(factor));
}

void EffectSession::setAntialiasing() {
    if (host.dispatch(ReqVendorSpecific, kAntialiasingRequestIndex, kAntialiasingRequestValue,
                      nullptr, 1.0f) != 1)
        throw ToolError("the module refused anti-aliasing");
}

void EffectSession::setMix(float percent) {
    if (host.dispatch(ReqVendorSpecific, kMixRequestIndex, kMixRequestValue, nullptr, percent) != 1)
        throw ToolError("the module refused a mix of " + std::to_string(percent) + " %");
}

void EffectSession::setAutoGain(bool on) {
    if (host.dispatch(ReqVendorSpecific, kAutoGainRequestIndex, kAutoGainRequestValue, nullptr,
                      on ? 1.0f : 0.0f) != 1)
        throw ToolError("the module refused to switch auto gain");
}

float EffectSession::autoGainDecibels() {
    float decibels = 0.0f;
    if (host.dispatch(ReqVendorSpecific, kAutoGainReadingIndex, kAutoGainReadingValue, &decibels,
                      0.0f) != 1)
        throw ToolError("the module does not tell its auto gain");
    return decibels;
}

int32_t EffectSession::latency() {
    return host.record()->latency;
}

std::vector<ChunkProgram> EffectSession::programs() {
    return decodeBankChunk(host.saveChunk(false));
}

ChunkProgram EffectSession::currentProgram() {
    return decodeProgramChunk(host.saveChunk(true));
}

int32_t EffectSession::currentProgramIndex() {
    return host.program();
}

std::string EffectSession::parameterUnit(int32_t index) {
    return host.parameterUnit(index);
}

void EffectSession::selectProgram(const std::string& choice) {
    const std::vector<std::string> names = programNames(programs());
    const int32_t index = pickByNumberOrName(choice, names);
    if (index < 0)
        throw ToolError("unknown program '" + choice + "' (programs 0.." +
                        std::to_string(names.size() - 1) + ": " + joined(names) + ")");
    host.setProgram(index);
}

void EffectSession::selectPreset(const std::string& choice) {
    const ChunkProgram program = currentProgram();
    std::vector<std::string> names;
    for (const ChunkPreset& preset : program.presets)
        names.push_back(preset.name);
    const int32_t index = pickByNumberOrName(choice, names);
    if (index < 0)
        throw ToolError("unknown preset '" + choice + "' in program '" + program.name +
                        "' (presets 0.." + std::to_string(names.size() - 1) +
                        "; --list shows them)");
    selectPreset(index);
}

void EffectSession::selectPreset(int32_t index) {
    const auto count = static_cast<int32_t>(currentProgram().presets.size());
    selectPresetAndWriteBack(*host.record(), presetSelectorValue(index, count));
}

void EffectSession::setParameter(const HostParameterWrite& write) {
    host.setParameter(write.index, write.normalized);
}

void EffectSession::restoreState(const std::vector<uint8_t>& chunk, const std::string& source) {
    const bool wholeBank = chunk.size() == kBankChunkSize;
    if (host.restoreChunk(chunk, !wholeBank) == kChunkRefused)
        throw ToolError("state file '" + source + "' has " + std::to_string(chunk.size()) +
                        " bytes; the module takes a program chunk of " +
                        std::to_string(kProgramChunkSize) + " or a bank chunk of " +
                        std::to_string(kBankChunkSize) + " bytes");
}

std::vector<uint8_t> EffectSession::saveState(bool wholeBank) {
    return host.saveChunk(!wholeBank);
}

void EffectSession::process(const float* input, float* output, int32_t frames) {
    for (int32_t done = 0; done < frames; done += blockFrames) {
        const int32_t count = std::min(blockFrames, frames - done);
        const size_t offset = static_cast<size_t>(done) * channelCount;
        processBlock(input + offset, output + offset, count);
    }
}

int32_t EffectSession::processAligned(const float* input, float* output, int32_t frames) {
    process(input, output, frames);
    const int32_t dropped = std::min(framesToDrop, frames);
    framesToDrop -= dropped;
    if (dropped == 0) return frames;
    std::copy(output + static_cast<size_t>(dropped) * channelCount,
              output + static_cast<size_t>(frames) * channelCount, output);
    return frames - dropped;
}

std::vector<float> EffectSession::finishAligned() {
    const auto samples = static_cast<size_t>(latency()) * channelCount;
    const std::vector<float> silence(samples, 0.0f);
    std::vector<float> tail(samples);
    tail.resize(static_cast<size_t>(processAligned(silence.data(), tail.data(), latency())) *
                channelCount);
    return tail;
}

void EffectSession::processBlock(const float* input, float* output, int32_t frames) {
    float* inputs[kModuleChannels];
    float* outputs[kModuleChannels];
    for (int32_t ch = 0; ch < kModuleChannels; ++ch) {
        inputs[ch] = inputPlanes.data() + static_cast<size_t>(ch) * blockFrames;
        outputs[ch] = outputPlanes.data() + static_cast<size_t>(ch) * blockFrames;
    }
    for (int32_t n = 0; n < frames; ++n) {
        for (int32_t ch = 0; ch < channelCount; ++ch)
            inputs[ch][n] = input[n * channelCount + ch];
    }
    host.processReplace(inputs, outputs, frames);
    for (int32_t n = 0; n < frames; ++n) {
        for (int32_t ch = 0; ch < channelCount; ++ch)
            output[n * channelCount + ch] = outputs[ch][n];
    }
}

}  // namespace marrowfold
