// The processing engine on the reference kernels and on every lane kernel set the processor has,
// side by side in one run, with the same input and parameters: mono and stereo 44.1 kHz at block
// sizes 64, 512 and 4096, each reported as a real-time factor (seconds of audio processed per
// second of processor time). Every case is repeated and summarised by its median, which a busy
// machine disturbs least. The last line printed compares the fastest set with the reference at
// 512 stereo. Also measures the cost of moving one band edge, the cost of each oversampling
// factor over factor 1, plain and anti-aliased, and of auto gain at factor 1 (512 frames stereo,
// on the fastest set or the one named with --isa), what a block in which an edge moves costs
// against a still one with smoothing on at every factor, and prints the alias energy of the
// shaping at every factor.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench/SideBySide.h"
#include "dsp/BandShaper.h"
#include "dsp/DspEngine.h"
#include "dsp/Oversampling.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"
#include "params/PresetBankEdits.h"
#include "tests/common/AliasMeter.h"

namespace marrowfold {
namespace {

constexpr double kRate = 44100.0;
constexpr int32_t kBlockSizes[] = {64, 512, 4096};
constexpr int32_t kSummaryBlockSize = 512;
constexpr int32_t kSummaryChannels = 2;
constexpr int kRepetitions = 7;
constexpr double kMinSecondsPerRepetition = 0.1;

// A block of noise for each channel, a different one each, and room for the output.
struct NoiseBlock {
    NoiseBlock(int32_t channels, int32_t frames) {
        for (int32_t ch = 0; ch < channels; ++ch) {
            input.push_back(bench::noise(static_cast<size_t>(frames), ch + 1));
            output.emplace_back(frames);
        }
        for (int32_t ch = 0; ch < channels; ++ch) {
            in.push_back(input[ch].data());
            out.push_back(output[ch].data());
        }
    }
    std::vector<std::vector<float>> input, output;
    std::vector<float*> in, out;
};

// The replacing process of an engine on set at an oversampling factor, anti-aliased or not, with
// or without auto gain, with the model's default preset fully applied.
void processReplacing(benchmark::State& state, KernelSet set, int32_t channels, int32_t frames,
                      int32_t factor, bool antialiased, bool autoGain) {
    DistortionParameters model;
    model.setValue(ParamModify, static_cast<float>(kModifyAll));
    model.markChanged(ParamBank);
    DspEngine engine(frames, channels, kRate, channels);
    if (!engine.useKernelSet(set)) {
        state.SkipWithError("kernel set not available");
        return;
    }
    engine.requestOversampling(factor);
    engine.requestAntialiasing(antialiased);
    engine.setAutoGain(autoGain);
    engine.applyChanges(model);

    NoiseBlock block(channels, frames);
    float** in = block.in.data();
    float** out = block.out.data();
    for (auto _ : state) {
        engine.process(in, out, frames, OutputMode::Replace);
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

// Edge 4 of a log-even layout, moved by a fifth and back; a smoothing engine crossfades every
// move to the new filters over a few milliseconds, well within one block.
constexpr float kEdgeLayout[kEdgeCount] = {25.0f, 136.24f, 742.46f, 4046.15f, 22050.0f};
constexpr int32_t kMovedEdge = 3;
constexpr float kEdgeMove = 0.8f;

void writeEdges(DistortionParameters& model, PresetRecord& preset, int32_t modifyCode) {
    model.setValue(ParamModify, static_cast<float>(modifyCode));
    model.setData(ParamBank, &preset, kPresetRecordSize, model.currentPreset());
}

// A smoothing engine at 512 stereo whose edge 4 moves before every block, or stays put: what a
// block in which an edge moves costs against a still one.
void edgeGlide(benchmark::State& state, int32_t factor, bool moving) {
    DistortionParameters model;
    PresetRecord preset = readPreset(model, model.currentPreset());
    std::copy(std::begin(kEdgeLayout), std::end(kEdgeLayout), preset.bandEdge);
    writeEdges(model, preset, kModifyAll);
    DspEngine engine(kSummaryBlockSize, kSummaryChannels, kRate, kSummaryChannels);
    engine.requestOversampling(factor);
    engine.setSmoothing(true);
    engine.applyChanges(model);
    NoiseBlock block(kSummaryChannels, kSummaryBlockSize);
    float** in = block.in.data();
    float** out = block.out.data();
    engine.process(in, out, kSummaryBlockSize, OutputMode::Replace);
    bool moved = false;
    for (auto _ : state) {
        if (moving) {
            moved = !moved;
            preset.bandEdge[kMovedEdge] = kEdgeLayout[kMovedEdge] * (moved ? kEdgeMove : 1.0f);
            writeEdges(model, preset, kFirstEdgeModifyCode + kMovedEdge);
        }
        engine.applyChanges(model);
        engine.process(in, out, kSummaryBlockSize, OutputMode::Replace);
        benchmark::DoNotOptimize(out[0][kSummaryBlockSize - 1]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSummaryBlockSize);
}

std::string glideCaseName(int32_t factor, bool moving) {
    return (moving ? "edge-moving/" : "edge-still/") + std::to_string(factor);
}

// Still and moving at every factor, interleaved repetition by repetition.
void registerEdgeGlideCases() {
    for (int32_t stages = 0; stages <= kMaxOversamplingStages; ++stages) {
        for (const bool moving : {false, true}) {
            benchmark::RegisterBenchmark(glideCaseName(1 << stages, moving).c_str(), edgeGlide,
                                         1 << stages, moving)
                ->MinTime(kMinSecondsPerRepetition)
                ->Repetitions(kRepetitions)
                ->ReportAggregatesOnly(true);
        }
    }
}

std::string caseName(KernelSet set, int32_t channels, int32_t frames) {
    return std::string(kernelSetName(set)) + "/" + (channels == 1 ? "mono" : "stereo") + "/" +
           std::to_string(frames);
}

// The reference kernels and every lane kernel set the processor has.
std::vector<KernelSet> measuredSets() {
    std::vector<KernelSet> sets;
    for (const KernelSet set : kAllKernelSets) {
        if (kernelSetAvailable(set)) sets.push_back(set);
    }
    return sets;
}

// Interleaves the kernel sets case by case, so that all meet the same load on the machine.
void registerEngineCases() {
    for (const int32_t channels : {1, 2}) {
        for (const int32_t frames : kBlockSizes) {
            for (const KernelSet set : measuredSets()) {
                benchmark::RegisterBenchmark(caseName(set, channels, frames).c_str(),
                                             processReplacing, set, channels, frames, 1, false,
                                             false)
                    ->MinTime(kMinSecondsPerRepetition)
                    ->Repetitions(kRepetitions)
                    ->ReportAggregatesOnly(true);
            }
        }
    }
    benchmark::RegisterBenchmark("moveBandEdge", moveBandEdge);
}

constexpr const char* kAutoGainCase = "autogain/1";

std::string factorCaseName(int32_t factor, bool antialiased) {
    return (antialiased ? "antialiasing/" : "oversampling/") + std::to_string(factor);
}

// The set the factors' costs are measured on: the fastest, unless --isa NAME names another, which
// is taken out of the arguments. Empty for a set this processor cannot run.
std::optional<KernelSet> takeCostSet(int& argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--isa") != 0) continue;
        std::optional<KernelSet> chosen;
        for (const KernelSet set : kAllKernelSets) {
            if (std::strcmp(argv[i + 1], kernelSetName(set)) == 0 && kernelSetAvailable(set))
                chosen = set;
        }
        for (int j = i; j + 2 <= argc; ++j)
            argv[j] = argv[j + 2];
        argc -= 2;
        return chosen;
    }
    return fastestKernelSet();
}

// Every factor at 512 stereo, plain and anti-aliased, interleaved repetition by repetition.
void registerOversamplingCases(KernelSet set) {
    for (const bool antialiased : {false, true}) {
        for (int32_t stages = 0; stages <= kMaxOversamplingStages; ++stages) {
            benchmark::RegisterBenchmark(factorCaseName(1 << stages, antialiased).c_str(),
                                         processReplacing, set, kSummaryChannels, kSummaryBlockSize,
                                         1 << stages, antialiased, false)
                ->MinTime(kMinSecondsPerRepetition)
                ->Repetitions(kRepetitions)
                ->ReportAggregatesOnly(true);
        }
    }
    benchmark::RegisterBenchmark(kAutoGainCase, processReplacing, set, kSummaryChannels,
                                 kSummaryBlockSize, 1, false, true)
        ->MinTime(kMinSecondsPerRepetition)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
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

    // The median real-time factor of a case, or 0 when it was not run.
    double factor(KernelSet set, int32_t channels, int32_t frames) const {
        return factor(caseName(set, channels, frames));
    }
    double factor(const std::string& name) const {
        const auto it = realTime_.find(name);
        return it == realTime_.end() ? 0.0 : it->second;
    }

  private:
    std::map<std::string, double> realTime_;
};

void printTable(const SummaryReporter& reporter) {
    std::printf("\nmedian real-time factors, and each lane set against the reference:\n");
    for (const int32_t channels : {1, 2}) {
        for (const int32_t frames : kBlockSizes) {
            const double reference = reporter.factor(KernelSet::Reference, channels, frames);
            if (reference <= 0.0) continue;
            std::printf("  %-6s %4d: reference %5.0fx", channels == 1 ? "mono" : "stereo", frames,
                        reference);
            for (const KernelSet set : measuredSets()) {
                const double fast = reporter.factor(set, channels, frames);
                if (set != KernelSet::Reference && fast > 0.0) {
                    std::printf(", %s %5.0fx (%.2fx)", kernelSetName(set), fast, fast / reference);
                }
            }
            std::printf("\n");
        }
    }
}

// The time of each oversampling factor over the time of factor 1 without anti-aliasing, then
// the same anti-aliased, then auto gain's at factor 1, each on a line of its own for scripts to
// read.
void printOversamplingCost(const SummaryReporter& reporter, KernelSet set) {
    const double base = reporter.factor(factorCaseName(1, false));
    if (base <= 0.0) return;
    std::printf("\noversampling cost at 512 stereo (%s), time over factor 1:", kernelSetName(set));
    for (int32_t stages = 0; stages <= kMaxOversamplingStages; ++stages) {
        const double speed = reporter.factor(factorCaseName(1 << stages, false));
        if (speed > 0.0)
            std::printf(" %dx %.2f (%.0f x real time);", 1 << stages, base / speed, speed);
    }
    std::printf("\nantialiasing cost at 512 stereo (%s), time over factor 1:", kernelSetName(set));
    for (int32_t stages = 0; stages <= kMaxOversamplingStages; ++stages) {
        const double speed = reporter.factor(factorCaseName(1 << stages, true));
        if (speed > 0.0) std::printf(" %dx %.2f;", 1 << stages, base / speed);
    }
    const double autoGain = reporter.factor(kAutoGainCase);
    if (autoGain > 0.0) std::printf("\nauto gain cost at 512 stereo, 1x: %.2f", base / autoGain);
    std::printf("\n");
}

// The time of a block in which an edge moves over a still one's, at each factor.
void printEdgeGlideCost(const SummaryReporter& reporter) {
    std::printf("\nedge move cost at 512 stereo, time of a moving block over a still one:");
    for (int32_t stages = 0; stages <= kMaxOversamplingStages; ++stages) {
        const double still = reporter.factor(glideCaseName(1 << stages, false));
        const double moving = reporter.factor(glideCaseName(1 << stages, true));
        if (still > 0.0 && moving > 0.0) std::printf(" %dx %.2f;", 1 << stages, still / moving);
    }
    std::printf("\n");
}

// Alias energy in dBc (every bin that is not a harmonic, over the harmonics) of a bin-centred
// full-scale tone, for each shape, tone and input gain, at every factor, plain and anti-aliased.
void printAliasTable() {
    struct Shape {
        const char* name;
        int32_t index;
    };
    constexpr Shape kShapes[] = {{"Soft", 0}, {"Warm", 1}, {"Hard", 4}};
    constexpr double kTones[] = {1000.0, 2500.0, 5000.0, 10000.0};
    constexpr float kInputs[] = {0.0f, 12.0f};
    std::printf("\nalias energy (dBc), 0 dBFS bin-centred tone, factors 1 2 4 8 16:\n");
    for (const bool antialiased : {false, true}) {
        for (const Shape& shape : kShapes) {
            for (const double tone : kTones) {
                for (const float input : kInputs) {
                    std::printf("alias%s %-4s %5.1f kHz In %+3.0f dB:", antialiased ? " aa" : "",
                                shape.name, tone / 1000.0, static_cast<double>(input));
                    for (int32_t stages = 0; stages <= kMaxOversamplingStages; ++stages) {
                        const AliasCase measured{shape.index, tone, input, 1 << stages,
                                                 antialiased};
                        std::printf(" %7.1f", aliasDecibels(measured, fastestKernelSet()));
                    }
                    std::printf("\n");
                }
            }
        }
    }
}

// The last line: the fastest set against the reference at 512 stereo.
void printSummary(const SummaryReporter& reporter) {
    const KernelSet fastSet = fastestKernelSet();
    const double fast = reporter.factor(fastSet, kSummaryChannels, kSummaryBlockSize);
    const double reference =
        reporter.factor(KernelSet::Reference, kSummaryChannels, kSummaryBlockSize);
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
    const std::optional<KernelSet> costSet = takeCostSet(argc, argv);
    if (!costSet) {
        std::fprintf(stderr, "--isa takes a kernel set this processor has\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    registerEngineCases();
    registerOversamplingCases(*costSet);
    registerEdgeGlideCases();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::fflush(stdout);
    printTable(reporter);
    printOversamplingCost(reporter, *costSet);
    printEdgeGlideCost(reporter);
    printAliasTable();
    printSummary(reporter);
    return 0;
}
