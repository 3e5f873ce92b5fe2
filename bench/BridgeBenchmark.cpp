// What the LV2 bridge adds to the module's own processing: the same stereo noise at 512 frames
// through the module's record directly and through the bundle's run(), in alternating rounds so
// both meet the same load, each summarised by its median. Prints one line.
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "host/PluginHost.h"

namespace marrowfold {
namespace {

constexpr double kRate = 44100.0;
constexpr int32_t kFrames = 512;
constexpr int kRounds = 31;
constexpr int kBlocksPerRound = 2000;

std::vector<float> noise(uint32_t seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> sample(-0.3f, 0.3f);
    std::vector<float> result(kFrames);
    for (float& value : result)
        value = sample(engine);
    return result;
}

// Seconds of audio processed per second of wall time, for one round.
double realTimeFactor(const std::function<void()>& block) {
    const auto start = std::chrono::steady_clock::now();
    for (int b = 0; b < kBlocksPerRound; ++b)
        block();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return kBlocksPerRound * kFrames / kRate / seconds;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace
}  // namespace marrowfold

int main() {
    using namespace marrowfold;
    std::vector<float> left = noise(1), right = noise(2), outLeft(kFrames), outRight(kFrames);
    float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {outLeft.data(), outRight.data()};

    PluginModule module;
    PluginHost host;
    if (!module.open(MARROWFOLD_LV2_BUNDLE "/marrowfold.so") || !host.create(module)) return 1;
    host.setSampleRate(static_cast<float>(kRate));
    host.setBlockSize(kFrames);
    host.setActive(true);

    void* library = dlopen(MARROWFOLD_LV2_BUNDLE "/marrowfold_dsp.so", RTLD_NOW | RTLD_LOCAL);
    const auto entry =
        library ? reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"))
                : nullptr;
    const LV2_Descriptor* descriptor = entry ? entry(0) : nullptr;
    const LV2_Feature* const noFeatures[] = {nullptr};
    LV2_Handle bridge = descriptor ? descriptor->instantiate(descriptor, kRate,
                                                             MARROWFOLD_LV2_BUNDLE "/", noFeatures)
                                   : nullptr;
    if (bridge == nullptr) return 1;
    float controls[9] = {};
    for (uint32_t port = 4; port < 13; ++port)
        descriptor->connect_port(bridge, port, &controls[port - 4]);
    // Ardour's way: one buffer per channel, both input and output.
    std::vector<float> sharedLeft = left, sharedRight = right;
    descriptor->connect_port(bridge, 0, sharedLeft.data());
    descriptor->connect_port(bridge, 1, sharedRight.data());
    descriptor->connect_port(bridge, 2, sharedLeft.data());
    descriptor->connect_port(bridge, 3, sharedRight.data());
    descriptor->activate(bridge);

    std::vector<double> direct, bridged;
    for (int round = 0; round < kRounds; ++round) {
        direct.push_back(realTimeFactor([&] { host.processReplace(inputs, outputs, kFrames); }));
        bridged.push_back(realTimeFactor([&] { descriptor->run(bridge, kFrames); }));
    }
    descriptor->deactivate(bridge);
    descriptor->cleanup(bridge);
    const double alone = median(direct);
    const double throughBridge = median(bridged);
    std::printf(
        "lv2 bridge at 512 stereo: %+.2f%% time; module %.0f x real time, through the "
        "bridge %.0f x real time\n",
        (alone / throughBridge - 1.0) * 100.0, alone, throughBridge);
    return 0;
}
