// Throughput of the replacing process for stereo 44.1 kHz audio, reported as a real-time factor
// (seconds of audio processed per second), and the cost of moving one band edge.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "dsp/BandShaper.h"
#include "dsp/DspEngine.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"

namespace marrowfold {
namespace {

constexpr double kRate = 44100.0;
constexpr int32_t kChannels = 2;

std::vector<float> noise(size_t length, uint32_t seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> sample(-0.3f, 0.3f);
    std::vector<float> result(length);
    for (float& value : result)
        value = sample(engine);
    return result;
}

void processReplacing(benchmark::State& state) {
    const auto frames = static_cast<int32_t>(state.range(0));
    DistortionParameters model;
    model.setValue(ParamModify, static_cast<float>(kModifyAll));
    model.markChanged(ParamBank);
    DspEngine engine(frames, kChannels, kRate, kChannels);
    engine.applyChanges(model);

    std::vector<float> input[kChannels] = {noise(frames, 1), noise(frames, 2)};
    std::vector<float> output[kChannels] = {std::vector<float>(frames), std::vector<float>(frames)};
    float* in[kChannels] = {input[0].data(), input[1].data()};
    float* out[kChannels] = {output[0].data(), output[1].data()};
    for (auto _ : state) {
        engine.process(in, out, frames, 0);
        benchmark::DoNotOptimize(out[0][frames - 1]);
        benchmark::ClobberMemory();
    }
    const double audioSeconds = static_cast<double>(state.iterations()) * frames / kRate;
    state.counters["realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(processReplacing)->Arg(64)->Arg(512)->Arg(4096);

// An inner edge touches two bands: both are redesigned and reset.
void moveBandEdge(benchmark::State& state) {
    BandShaper shaper(static_cast<int32_t>(kRate), kChannels, 512, 4, 4);
    float hz = 1000.0f;
    for (auto _ : state) {
        shaper.setBandEdge(2, hz);
        hz = hz == 1000.0f ? 1200.0f : 1000.0f;
        benchmark::DoNotOptimize(shaper.bandFilter(2).numerators(0)[0]);
    }
}
BENCHMARK(moveBandEdge);

}  // namespace
}  // namespace marrowfold

BENCHMARK_MAIN();
