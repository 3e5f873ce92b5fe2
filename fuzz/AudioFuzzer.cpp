// Arbitrary float blocks (NaN, infinities, denormals, huge values) through both process entry
// points, with parameter changes, preset and program switches between the blocks. While every
// host value lies in 0..1 the output must stay finite and within the loudest setting's reach:
// each band's curve is limited to 1, so no band can exceed Out (+20 dB) x level (+12 dB).
#include <cmath>
#include <vector>

#include "core/EffectRecord.h"
#include "fuzz/FuzzHost.h"
#include "fuzz/FuzzInput.h"

namespace marrowfold::fuzz {
namespace {

constexpr int32_t kBands = 4;
constexpr int32_t kHostParameters = 8;
constexpr int32_t kGainParameters = 6;  // Band1..Band4, In, Out: real gains in dB
constexpr int32_t kSoloParameter = 11;
constexpr int32_t kMaxBlocks = 64;
const float kLoudestOutput =
    kBands * std::pow(10.0f, 20.0f / 20.0f) * std::pow(10.0f, 12.0f / 20.0f);
constexpr float kSampleRates[] = {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f};

enum class Step { Block, HostValue, AnyValue, Program, Solo, SampleRate, BlockSize };

struct Stream {
    FuzzHost host;
    StereoBlock block;
    bool accumulate = false;
    // Cleared for good by the first gain value outside 0..1: program and preset switches can
    // bring a stored value back at any later time.
    bool saneGains = true;

    HostAnswers answers;

    explicit Stream(const HostAnswers& wiring) : host(wiring), answers(wiring) {}
};

bool sameSample(float a, float b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// The accumulating entry point of an engine with one input channel processes only input 0 and
// then adds every input buffer to its output: a wired second output receives the host's second
// input unchanged. That channel is checked for exactly that; the others for their bound.
bool passesInputThrough(const Stream& stream, int ch) {
    const HostAnswers& wiring = stream.answers;
    return stream.accumulate && ch == 1 && !wiring.inputWired[1] && wiring.outputWired[1];
}

void runBlock(FuzzedDataProvider& input, Stream& stream) {
    const int32_t frames = input.ConsumeBool()
                               ? input.ConsumeIntegralInRange<int32_t>(1, 600)
                               : input.ConsumeIntegralInRange<int32_t>(1, kMaxFrames);
    stream.block.fillInputs(input, frames);
    const std::vector<float> secondInput(stream.block.input(1), stream.block.input(1) + frames);
    stream.block.clearOutputs();
    EffectRecord& record = stream.host.record();
    (stream.accumulate ? record.processAddEntry : record.processReplaceEntry)(
        &record, stream.block.inputs(), stream.block.outputs(), frames);
    for (int ch = 0; ch < 2; ++ch) {
        const float* out = stream.block.output(ch);
        for (int32_t n = 0; n < frames; ++n) {
            if (passesInputThrough(stream, ch)) {
                require(sameSample(out[n], secondInput[n] + 0.0f),
                        "a mono engine adds the second input to the second output unchanged");
            } else if (stream.saneGains) {
                require(std::isfinite(out[n]), "output stays finite while host values are 0..1");
                require(std::fabs(out[n]) <= kLoudestOutput, "no band exceeds its loudest setting");
            }
        }
    }
}

void writeValue(FuzzedDataProvider& input, Stream& stream, bool anyValue) {
    const int32_t index = input.ConsumeIntegralInRange<int32_t>(0, kHostParameters - 1);
    const float value = anyValue ? edgyFloat(input) : hostValue(input);
    stream.host.setParameter(index, value);
    if (index < kGainParameters && !(value >= 0.0f && value <= 1.0f)) stream.saneGains = false;
}

}  // namespace
}  // namespace marrowfold::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marrowfold;
    using namespace marrowfold::fuzz;
    FuzzedDataProvider input(data, size);
    HostAnswers answers;
    answers.inputWired[1] = input.ConsumeIntegralInRange<int>(0, 3) != 0;
    answers.outputWired[1] = input.ConsumeIntegralInRange<int>(0, 3) != 0;
    answers.withEditor = input.ConsumeIntegralInRange<int>(0, 7) == 0;
    Stream stream(answers);
    stream.accumulate = input.ConsumeBool();
    stream.host.dispatch(ReqSetActive, 0, 1);
    for (int32_t step = 0; step < kMaxBlocks && input.remaining_bytes() > 0; ++step) {
        switch (input.PickValueInArray({Step::Block, Step::Block, Step::Block, Step::HostValue,
                                        Step::HostValue, Step::AnyValue, Step::Program, Step::Solo,
                                        Step::SampleRate, Step::BlockSize})) {
            case Step::Block:
                runBlock(input, stream);
                break;
            case Step::HostValue:
                writeValue(input, stream, false);
                break;
            case Step::AnyValue:
                writeValue(input, stream, true);
                break;
            case Step::Program:
                stream.host.dispatch(ReqSetProgram, 0, input.ConsumeIntegralInRange<int32_t>(0, 3));
                break;
            case Step::Solo:
                stream.host.setParameter(kSoloParameter, edgyFloat(input));
                break;
            case Step::SampleRate:
                stream.host.dispatch(ReqSetSampleRate, 0, 0, nullptr,
                                     input.PickValueInArray(kSampleRates));
                break;
            case Step::BlockSize:
                stream.host.dispatch(ReqSetBlockSize, 0,
                                     input.ConsumeIntegralInRange<int32_t>(1, kMaxFrames));
                break;
        }
    }
    return 0;
}
