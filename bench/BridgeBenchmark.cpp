// What the LV2 bridge adds to the module's own processing: the same stereo noise at 512 frames
// through the module's record directly and through the bundle's run(); and what small blocks cost
// through run(): 60 s of stereo noise at 32 frames per call against 512. Each pair runs in
// alternating rounds so both meet the same load, each summarised by its median. Prints two lines.
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <array>
#include <cstdio>
#include <vector>

#include "bench/SideBySide.h"
#include "host/PluginHost.h"
#include "lv2/PortLayout.h"

namespace marrowfold {
namespace {

using bench::kFrames;
using bench::kRate;
using bench::median;
using bench::noise;
using bench::realTimeFactor;

constexpr int kRounds = 31;
constexpr int32_t kSmallBlock = 32;
constexpr int kSmallBlockRounds = 11;
constexpr auto kNoiseFrames = static_cast<size_t>(60 * bench::kRate);

// The bundle's plug-in binary, its controls at their defaults (factor 1).
class BundleInstance {
  public:
    BundleInstance() {
        library = dlopen(MARROWFOLD_LV2_BUNDLE "/marrowfold_dsp.so", RTLD_NOW | RTLD_LOCAL);
        const auto entry =
            library ? reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"))
                    : nullptr;
        descriptor = entry ? entry(0) : nullptr;
        const LV2_Feature* const noFeatures[] = {nullptr};
        handle = descriptor ? descriptor->instantiate(descriptor, kRate, MARROWFOLD_LV2_BUNDLE "/",
                                                      noFeatures)
                            : nullptr;
        if (handle == nullptr) return;
        controls[ControlOversampling] = kDefaultOversamplingFactor;
        controls[ControlMix] = kFullMixPercent;
        controls[ControlEnabled] = 1.0f;
        for (int32_t control = 0; control < HostControlCount; ++control)
            descriptor->connect_port(handle, lv2::portOfControl(control),
                                     &controls[static_cast<size_t>(control)]);
        descriptor->activate(handle);
    }
    ~BundleInstance() {
        if (handle != nullptr) {
            descriptor->deactivate(handle);
            descriptor->cleanup(handle);
        }
        if (library != nullptr) dlclose(library);
    }
    BundleInstance(const BundleInstance&) = delete;
    BundleInstance& operator=(const BundleInstance&) = delete;

    bool ready() const { return handle != nullptr; }
    // Ardour's way: one buffer per channel, both input and output.
    void connectInPlace(float* left, float* right) {
        descriptor->connect_port(handle, lv2::PortInLeft, left);
        descriptor->connect_port(handle, lv2::PortInRight, right);
        descriptor->connect_port(handle, lv2::PortOutLeft, left);
        descriptor->connect_port(handle, lv2::PortOutRight, right);
    }
    void run(uint32_t frames) { descriptor->run(handle, frames); }

  private:
    void* library = nullptr;
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
    std::array<float, HostControlCount> controls{};
};

// The module alone against the bridge, both at 512 frames.
void compareWithTheModule(BundleInstance& bridge) {
    std::vector<float> left = noise(kFrames, 1), right = noise(kFrames, 2);
    std::vector<float> outLeft(kFrames), outRight(kFrames);
    float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {outLeft.data(), outRight.data()};
    PluginModule module;
    PluginHost host;
    if (!module.open(MARROWFOLD_LV2_BUNDLE "/marrowfold.so") || !host.create(module)) return;
    host.setSampleRate(static_cast<float>(kRate));
    host.setBlockSize(kFrames);
    host.setActive(true);
    std::vector<float> sharedLeft = left, sharedRight = right;
    bridge.connectInPlace(sharedLeft.data(), sharedRight.data());

    std::vector<double> direct, bridged;
    for (int round = 0; round < kRounds; ++round) {
        direct.push_back(realTimeFactor([&] { host.processReplace(inputs, outputs, kFrames); }));
        bridged.push_back(realTimeFactor([&] { bridge.run(kFrames); }));
    }
    const double alone = median(direct);
    const double throughBridge = median(bridged);
    std::printf(
        "lv2 bridge at 512 stereo: %+.2f%% time; module %.0f x real time, through the "
        "bridge %.0f x real time\n",
        (alone / throughBridge - 1.0) * 100.0, alone, throughBridge);
}

// 60 s of noise through run() in calls of `frames`, in place.
void runNoise(BundleInstance& bridge, std::vector<float>& left, std::vector<float>& right,
              uint32_t frames) {
    for (size_t done = 0; done + frames <= left.size(); done += frames) {
        bridge.connectInPlace(left.data() + done, right.data() + done);
        bridge.run(frames);
    }
}

void compareBlockLengths(BundleInstance& bridge) {
    const std::vector<float> left = noise(kNoiseFrames, 3), right = noise(kNoiseFrames, 4);
    const double seconds = static_cast<double>(kNoiseFrames) / kRate;
    std::vector<double> small, large;
    for (int round = 0; round < kSmallBlockRounds; ++round) {
        for (const auto& [frames, results] :
             {std::pair{kSmallBlock, &small}, std::pair{kFrames, &large}}) {
            std::vector<float> l = left, r = right;
            results->push_back(realTimeFactor(
                seconds, [&] { runNoise(bridge, l, r, static_cast<uint32_t>(frames)); }));
        }
    }
    const double smallFactor = median(small);
    const double largeFactor = median(large);
    std::printf(
        "lv2 bridge, %d against %d frames per call (60 s stereo noise): %.1f%% of the "
        "throughput; %.0f against %.0f x real time\n",
        kSmallBlock, kFrames, smallFactor / largeFactor * 100.0, smallFactor, largeFactor);
}

}  // namespace
}  // namespace marrowfold

int main() {
    using namespace marrowfold;
    BundleInstance bridge;
    if (!bridge.ready()) return 1;
    compareWithTheModule(bridge);
    compareBlockLengths(bridge);
    return 0;
}
