// What the LV2 bridge adds to the module's own processing: the same stereo noise at 512 frames
// through the module's record directly and through the bundle's run(), in alternating rounds so
// both meet the same load, each summarised by its median. Prints one line.
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <cstdio>
#include <vector>

#include "bench/SideBySide.h"
#include "host/PluginHost.h"

namespace marrowfold {
namespace {

constexpr int kRounds = 31;

}  // namespace
}  // namespace marrowfold

int main() {
    using namespace marrowfold;
    using namespace marrowfold::bench;
    std::vector<float> left = noise(kFrames, 1), right = noise(kFrames, 2), outLeft(kFrames),
                       outRight(kFrames);
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
