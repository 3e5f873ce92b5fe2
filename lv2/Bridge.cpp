#include "lv2/Bridge.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "core/VendorRequests.h"
#include "host/ModuleFile.h"
#include "host/ParameterProtocol.h"

namespace marrowfold::lv2 {

namespace {

// Without the host's maximum, blocks are split at this length.
constexpr int32_t kFallbackMaxBlock = 4096;
// Announced maxima above this are split as well; the module's engine grows with its block.
constexpr int32_t kLargestMaxBlock = 16384;
constexpr char kBankStateKey[] = "urn:marrowfold:lv2:state#bank";
constexpr char kProgramStateKey[] = "urn:marrowfold:lv2:state#program";
constexpr char kPortsStateKey[] = "urn:marrowfold:lv2:state#ports";

const void* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (const LV2_Feature* const* feature = features; feature && *feature; ++feature) {
        if (std::strcmp((*feature)->URI, uri) == 0) return (*feature)->data;
    }
    return nullptr;
}

int32_t announcedMaxBlock(const LV2_Options_Option* options, LV2_URID_Map* map) {
    if (options == nullptr) return kFallbackMaxBlock;
    const LV2_URID key = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    for (const LV2_Options_Option* option = options; option->key != 0; ++option) {
        if (option->key != key || option->type != intType || option->size != sizeof(int32_t) ||
            option->value == nullptr)
            continue;
        const int32_t frames = *static_cast<const int32_t*>(option->value);
        if (frames > 0) return std::min(frames, kLargestMaxBlock);
    }
    return kFallbackMaxBlock;
}

// The ports of the controls hosts set (every control that is not an output), in key order.
constexpr size_t kSettableControlCount = [] {
    size_t count = 0;
    for (int32_t control = 0; control < HostControlCount; ++control)
        if (!hostControl(control).has(kOutput)) ++count;
    return count;
}();
constexpr auto kSettableControlPorts = [] {
    std::array<uint32_t, kSettableControlCount> settable{};
    size_t next = 0;
    for (int32_t control = 0; control < HostControlCount; ++control)
        if (!hostControl(control).has(kOutput)) settable[next++] = portOfControl(control);
    return settable;
}();

}  // namespace

// Without the URID map (lv2apply offers no features at all) the bridge runs with the fallback
// block length and cannot save or restore state.
std::unique_ptr<Bridge> Bridge::create(double sampleRate, const char* bundlePath,
                                       const LV2_Feature* const* features) {
    if (bundlePath == nullptr) return nullptr;
    auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(findFeature(features, LV2_URID__map)));
    const auto* options =
        static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
    StateUrids urids;
    int32_t maxBlock = kFallbackMaxBlock;
    if (map != nullptr) {
        urids = {map->map(map->handle, kBankStateKey), map->map(map->handle, kProgramStateKey),
                 map->map(map->handle, kPortsStateKey), map->map(map->handle, LV2_ATOM__Chunk),
                 map->map(map->handle, LV2_ATOM__Int)};
        maxBlock = announcedMaxBlock(options, map);
    }
    std::unique_ptr<Bridge> bridge(new Bridge(urids, maxBlock));
    if (!bridge->instance.open(moduleFileIn(bundlePath))) return nullptr;
    bridge->instance.prepare(static_cast<float>(sampleRate), maxBlock);
    bridge->seeModuleValues();
    return bridge;
}

Bridge::Bridge(const StateUrids& stateUrids, int32_t maxBlock)
    : urids(stateUrids),
      inputCopies(static_cast<size_t>(maxBlock) * kAudioChannels),
      silence(static_cast<size_t>(maxBlock)),
      discarded(static_cast<size_t>(maxBlock)) {}

// The ports' defaults are the module's values after it starts, so a port the host leaves at its
// default is not a change: only what the host sets differently reaches the module.
void Bridge::seeModuleValues() {
    seenValues.fill(std::numeric_limits<float>::quiet_NaN());
    for (int32_t control = 0; control < HostControlCount; ++control) {
        if (!hostControl(control).has(kOutput))
            seenValues[portOfControl(control)] = currentPortValue(instance, control);
    }
}

void Bridge::connect(uint32_t port, void* data) {
    if (port >= PortCount) return;
    ports[port] = static_cast<float*>(data);
    if (isMeterPort(port) && data != nullptr) metersConnected = true;
}

// The plug-in always smooths: the engine exists once the module is active, and a setting made
// before any audio has passed is taken at once, so static sessions render as without smoothing.
void Bridge::activate() {
    instance.dispatch(ReqSetActive, 0, 1);
    instance.setSmoothing(true);
}

void Bridge::deactivate() {
    instance.dispatch(ReqSetActive, 0, 0);
}

void Bridge::run(uint32_t frames) {
    if (!requestGate.test_and_set(std::memory_order_acquire)) {
        takeControls();
        unlockRequests();
    }
    reportLatency();
    const auto limit = static_cast<uint32_t>(instance.maxBlock());
    for (uint32_t done = 0; done < frames; done += limit)
        processSlice(done, static_cast<int32_t>(std::min(limit, frames - done)));
    reportMeters();
    reportAutoGain();
}

// The first request switches the module's measuring on and reads the floor.
void Bridge::reportMeters() {
    if (!metersConnected) return;
    std::array<float, HostMeterCount> levels{};
    instance.dispatch(ReqVendorSpecific, kMeterRequestIndex, kMeterRequestValue, levels.data());
    for (int32_t meter = 0; meter < HostMeterCount; ++meter) {
        float* port = ports[portOfMeter(meter)];
        if (port != nullptr) *port = levels[static_cast<size_t>(meter)];
    }
}

// The module's process reads its inputs while it writes its outputs, so where a host passes one
// buffer as both (Ardour) or none at all, the module reads a copy.
void Bridge::processSlice(uint32_t offset, int32_t frames) {
    const auto limit = static_cast<size_t>(instance.maxBlock());
    float* inputs[kAudioChannels];
    float* outputs[kAudioChannels];
    for (int32_t ch = 0; ch < kAudioChannels; ++ch) {
        float* target = ports[PortOutLeft + ch];
        outputs[ch] = target ? target + offset : discarded.data();
    }
    for (int32_t ch = 0; ch < kAudioChannels; ++ch) {
        float* source = ports[PortInLeft + ch];
        if (source != nullptr && source != ports[PortOutLeft] && source != ports[PortOutRight]) {
            inputs[ch] = source + offset;
            continue;
        }
        inputs[ch] = inputCopies.data() + static_cast<size_t>(ch) * limit;
        std::memcpy(inputs[ch], source ? source + offset : silence.data(),
                    sizeof(float) * static_cast<size_t>(frames));
    }
    instance.process(inputs, outputs, frames);
}

// A setting of the session (a factor between the listed ones becomes the nearest listed one, a
// toggle 0 or 1) is handed over when it differs from the module's; one the module refuses
// leaves the module as it was.
template <typename Set>
void Bridge::takeSetting(int32_t control, Set set) {
    const float* port = changedPort(portOfControl(control));
    if (port == nullptr) return;
    const float value = clampToControl(control, *port);
    if (value != currentPortValue(instance, control)) set(value);
}

// The program first, then the preset within it, then the preset's values: the order in which
// the render tool applies --program, --preset and --set. The bands come after, so that a host's
// preset file that carries a preset's own edges changes nothing more.
void Bridge::takeControls() {
    if (!anyControlMoved()) return;
    takeProgram();
    takePreset();
    for (int32_t control = 0; control < HostControlCount; ++control) {
        const HostControl& info = hostControl(control);
        if (info.isParameter() && !info.has(kSelectsPreset)) takeParameter(control);
    }
    takeBands();
    takeSetting(ControlOversampling,
                [this](float factor) { instance.setOversampling(static_cast<int32_t>(factor)); });
    takeSetting(ControlMix, [this](float percent) { instance.setMix(percent); });
    takeSetting(ControlEnabled, [this](float on) { instance.setEnabled(on != 0.0f); });
    takeSetting(ControlAntialiasing, [this](float on) { instance.setAntialiasing(on != 0.0f); });
    takeSetting(ControlAutoGain, [this](float on) { instance.setAutoGain(on != 0.0f); });
}

// Most blocks move no control: one pass over the ports tells so sooner than each control's own
// handling would.
bool Bridge::anyControlMoved() const {
    return std::any_of(kSettableControlPorts.begin(), kSettableControlPorts.end(),
                       [this](uint32_t index) {
                           const float* port = ports[index];
                           return port != nullptr && *port != seenValues[index];
                       });
}

// The port's value when the host changed it since run() last looked; null otherwise.
const float* Bridge::changedPort(uint32_t index) {
    const float* port = ports[index];
    if (port == nullptr || *port == seenValues[index]) return nullptr;
    seenValues[index] = *port;
    return port;
}

void Bridge::takeProgram() {
    const float* port = changedPort(programPort());
    if (port == nullptr) return;
    const int32_t program = clampToProgram(*port);
    if (program != instance.program()) instance.dispatch(ReqSetProgram, 0, program);
}

// A new preset is selected, then its values are written back as the editor does after a
// selection, which tells the engine to take them.
void Bridge::takePreset() {
    const int32_t control = presetSelectorControl();
    const float* port = changedPort(portOfControl(control));
    if (port == nullptr) return;
    const float value = toModuleValue(control, clampToControl(control, *port));
    if (value == instance.getParameter(kPresetSelectorParameter)) return;
    selectPresetAndWriteBack(instance.effectRecord(), value);
}

// A value the module already holds (the UI's own report of a module change coming back, or a
// preset's stored value) is not handed over again, so no rounding creeps in.
void Bridge::takeParameter(int32_t control) {
    const float* port = changedPort(portOfControl(control));
    if (port == nullptr) return;
    const int32_t parameter = hostControl(control).parameter;
    const float value = clampToControl(control, *port);
    if (value == toPortValue(control, instance.getParameter(parameter))) return;
    instance.setParameter(parameter, toModuleValue(control, value));
}

// The edges, drives and solo the host changed go to the module together, so that a layout a host
// moves as a whole (a preset file's values) is taken as one edit.
void Bridge::takeBands() {
    BandControls wanted{};
    bool changed = false;
    for (int32_t control = 0; control < HostControlCount; ++control) {
        if (!hostControl(control).isBandValue()) continue;
        const float* port = changedPort(portOfControl(control));
        if (port == nullptr) continue;
        if (!changed) wanted = instance.bands();
        bandValue(wanted, control) = clampToControl(control, *port);
        changed = true;
    }
    if (changed) instance.editBands(wanted);
}

// Written every block: hosts read the delay from the port whenever they like.
void Bridge::reportLatency() {
    float* port = ports[portOfControl(ControlLatency)];
    if (port != nullptr) *port = static_cast<float>(instance.latency());
}

// Written every block, as the gain moves with the audio.
void Bridge::reportAutoGain() {
    float* port = ports[portOfControl(ControlAutoGainApplied)];
    if (port != nullptr) *port = instance.autoGainDecibels();
}

void Bridge::lockRequests() {
    while (requestGate.test_and_set(std::memory_order_acquire))
        std::this_thread::yield();
}

}  // namespace marrowfold::lv2
