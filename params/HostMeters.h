#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "analysis/Decibels.h"
#include "core/KeyedTable.h"
#include "params/PresetRecord.h"

namespace marrowfold {

// The levels the plug-in reports to hosts that draw meters of their own: each band after
// shaping, then the input and the output. The LV2 plug-in offers them as output control ports
// after the host controls, in the order of their keys; a new meter takes a new key at the end.
enum HostMeterKey : int32_t {
    MeterBand1,
    MeterBand2,
    MeterBand3,
    MeterBand4,
    MeterInput,
    MeterOutput,
    HostMeterCount
};

struct HostMeter {
    std::string_view symbol;  // the LV2 port's symbol: it never changes
    std::string_view name;
};

// Each meter reads the largest magnitude since the host last read it, in dB, limited to this
// range.
inline constexpr float kMeterFloorDecibels = kSilenceFloorDecibels;
inline constexpr float kMeterCeilingDecibels = 24.0f;

// clang-format off
inline constexpr KeyedEntry<HostMeter> kHostMeterEntries[] = {
    {MeterBand1,  {"band1_level",  "Band 1 level"}},
    {MeterBand2,  {"band2_level",  "Band 2 level"}},
    {MeterBand3,  {"band3_level",  "Band 3 level"}},
    {MeterBand4,  {"band4_level",  "Band 4 level"}},
    {MeterInput,  {"input_level",  "Input level"}},
    {MeterOutput, {"output_level", "Output level"}},
};
// clang-format on

inline constexpr std::array<HostMeter, HostMeterCount> kHostMeters =
    tableByKey<HostMeter, HostMeterCount>(MeterBand1, kHostMeterEntries);

static_assert(MeterInput == kBandCount, "one meter per band, then input and output");

}  // namespace marrowfold
