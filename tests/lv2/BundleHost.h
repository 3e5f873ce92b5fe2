#pragma once

// The bundle's plug-in binary loaded into the test process, driven through its LV2 descriptor as
// a host drives it: URID map, options with the maximum block length, state with a store of its
// own, ports connected to buffers the host owns.

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lv2/PortLayout.h"
#include "params/HostControls.h"

namespace marrowfold::testing {

// Every control of the table (the eight parameters, the program, the oversampling, the latency
// the plug-in reports, the mix and the on/off switch) and the meters (bands 1..4, input, output),
// on the plug-in's own ports.
inline constexpr uint32_t kControlPorts = HostControlCount;
inline constexpr uint32_t kMeterPorts = HostMeterCount;

// A value a state save stored, by key URI.
struct StoredProperty {
    std::string typeUri;
    uint32_t flags = 0;
    std::vector<uint8_t> bytes;
};
using StoredState = std::map<std::string, StoredProperty>;

class BundleHost {
  public:
    // Opens the plug-in binary of the bundle; with maxBlock 0 the host offers no options.
    explicit BundleHost(const std::string& bundle, int32_t maxBlock = 1024, bool withMap = true);
    ~BundleHost();
    BundleHost(const BundleHost&) = delete;
    BundleHost& operator=(const BundleHost&) = delete;

    bool instantiate(double rate = 44100.0);
    void activate();
    void deactivate();
    void cleanup();
    LV2_Handle handle() const { return instance; }

    // Control ports by their place among the controls (their HostControlKey). All start at 0
    // but the mix and the switch, which start at their defaults (the full processed signal), and
    // the band edges, drives and solo, which start at the default preset's, as hosts start them.
    float& control(uint32_t index) { return controls[index]; }
    // Connects the meter ports, which the plug-in writes after each run.
    void connectMeters();
    float meter(uint32_t index) const { return meters[index]; }
    // Processes interleaved stereo in calls of `frames`; with inPlace the output overwrites the
    // input buffers as Ardour's do.
    std::vector<float> process(const std::vector<float>& stereo, uint32_t frames,
                               bool inPlace = false);

    LV2_State_Status save(StoredState& state);
    LV2_State_Status restore(const StoredState& state);

    std::string uriOf(LV2_URID urid) const;
    LV2_URID map(const std::string& uri);

  private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri);
    const LV2_State_Interface* stateInterface() const;

    void* library = nullptr;
    const LV2_Descriptor* descriptor = nullptr;
    std::string bundlePath;
    LV2_Handle instance = nullptr;
    int32_t maxBlockLength;
    bool offersMap;
    std::vector<std::string> uris;
    LV2_URID_Map uridMap{};
    std::array<float, kControlPorts> controls{};
    std::array<float, kMeterPorts> meters{};
    std::vector<float> left;
    std::vector<float> right;
    std::vector<float> outLeft;
    std::vector<float> outRight;
};

}  // namespace marrowfold::testing
