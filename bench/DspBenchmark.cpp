// The processing engine on the reference kernels and on the fastest lane kernels side by side, in
// one run, with the same input and parameters: mono and stereo 44.1 kHz at block sizes 64, 512
// and 4096, each reported as a real-time factor (seconds of audio processed per second of
// processor time). Every case is repeated and summarised by its median, which a busy machine
// disturbs least. The last line printed compares the two at 512 stereo. Also measures the cost of
// moving one band edge.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "dsp/BandShaper.h"
#include "dsp/DspEngine.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"

namespace marrowfold {
namespace {

constexpr double kRate = 44100.0;
constexpr int32_t kBlockSizes[] = {64, 512, 4096};
constexpr int32_t kSummaryBlockSize = 512;
constexpr int32_t kSummaryChannels = 2;
constexpr int kRepetitions = 7;
constexpr double kMinSecondsPerRepetition = 0.2;

std::vector<float> noise(size_t length, uint32_t seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> sample(-0.3f, 0.3f);
    std::vector<float> result(length);
    for (float& value : result)
        value = sample(engine);
    return result;
}

// The replacing process of an engine on set, with the model's default preset fully applied.
void processReplacing(benchmark::State& state, KernelSet set, int32_t channels, int32_t frames) {
    DistortionParameters model;
    model.setValue(ParamModify, static_cast<float>(kModifyAll));
    model.markChanged(ParamBank);
    DspEngine engine(frames, channels, kRate, channels);
    if (!engine.useKernelSet(set)) {
        state.SkipWithError("kernel set not available");
        return;
    }
    engine.applyChanges(model);

    std::vector<std::vector<float>> input, output;
    std::vector<float*> in, out;
    for (int32_t ch = 0; ch < channels; ++ch) {
        input.push_back(noise(frames, ch + 1));
        output.emplace_back(frames);
    }
    for (int32_t ch = 0; ch < channels; ++ch) {
        in.push_back(input[ch].data());
        out.push_back(output[ch].data());
    }
    for (auto _ : state) {
        engine.process(in.data(), out.data(), frames, 0);
        benchmark::DoNotOptimize(out[0][frames - 1]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

// An inner edge touches two bands: both are redesigned and reset.
void moveBandEdge(benchmark::State& state) {
    BandShaper shaper(static_cast<int32_t>(kRate), 2, 512, 4, 4);
    float hz = 1000.0f;
    for (auto _ : state) {
        shaper.setBandEdge(2, hz);
        hz = hz == 1000.0f ? 1200.0f : 1000.0f;
        benchmark::DoNotOptimize(shaper.bandFilter(2).numerators(0)[0]);
    }
}

std::string caseName(bool fast, int32_t channels, int32_t frames) {
    return std::string(fast ? "fast" : "reference") + "/" + (channels == 1 ? "mono" : "stereo") +
           "/" + std::to_string(frames);
}

// Interleaves the two kernels case by case, so that both meet the same load on the machine.
void registerEngineCases(KernelSet fastSet) {
    for (const int32_t channels : {1, 2}) {
        for (const int32_t frames : kBlockSizes) {
            for (const bool fast : {false, true}) {
                const KernelSet set = fast ? fastSet : KernelSet::Reference;
                benchmark::RegisterBenchmark(caseName(fast, channels, frames).c_str(),
                                             processReplacing, set, channels, frames)
                    ->MinTime(kMinSecondsPerRepetition)
                    ->Repetitions(kRepetitions)
                    ->ReportAggregatesOnly(true);
            }
        }
    }
    benchmark::RegisterBenchmark("moveBandEdge", moveBandEdge);
}

// Prints as the console reporter does and keeps the median real-time factor of every case.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
            const auto counter = run.counters.find("items_per_second");
            if (counter != run.counters.end()) {
                realTime_[run.run_name.function_name] = counter->second.value / kRate;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Real-time factors of both kernels for one case, or zeros when it was not run.
    std::tuple<double, double> factors(int32_t channels, int32_t frames) const {
        return {find(caseName(true, channels, frames)), find(caseName(false, channels, frames))};
    }

  private:
    double find(const std::string& name) const {
        const auto it = realTime_.find(name);
        return it == realTime_.end() ? 0.0 : it->second;
    }

    std::map<std::string, double> realTime_;
};

void printSummary(const SummaryReporter& reporter, KernelSet fastSet) {
    std::printf("\nmedian real-time factors (fast set %s):\n", kernelSetName(fastSet));
    for (const int32_t channels : {1, 2}) {
        for (const int32_t frames : kBlockSizes) {
            const auto [fast, reference] = reporter.factors(channels, frames);
            if (fast > 0.0 && reference > 0.0) {
                std::printf("  %-6s %4d: fast %6.0fx, reference %5.0fx, ratio %5.2fx\n",
                            channels == 1 ? "mono" : "stereo", frames, fast, reference,
                            fast / reference);
            }
        }
    }
    const auto [fast, reference] = reporter.factors(kSummaryChannels, kSummaryBlockSize);
    if (fast > 0.0 && reference > 0.0) {
        std::printf(
            "fast/reference at 512 stereo: %.2fx; fast %.0f x real time; reference %.0f x real "
            "time; isa %s\n",
            fast / reference, fast, reference, kernelSetName(fastSet));
    } else {
        std::printf("fast/reference at 512 stereo: not measured (filtered out)\n");
    }
}

}  // namespace
}  // namespace marrowfold

int main(int argc, char** argv) {
    using namespace marrowfold;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const KernelSet fastSet = fastestKernelSet();
    registerEngineCases(fastSet);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::fflush(stdout);
    printSummary(reporter, fastSet);
    return 0;
}
