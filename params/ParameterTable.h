#pragma once

#include <array>
#include <cstdint>

#include "core/KeyedTable.h"
#include "core/ParameterRange.h"
#include "params/ParameterIndex.h"
#include "params/ParameterSet.h"
#include "params/PresetRecord.h"

namespace marrowfold {

// How the module registers one of its parameters.
struct ParameterSpec {
    const char* name;  // the title hosts read, and what tools look parameters up by
    const char* unit;
    ParameterRange range;
    float defaultValue;
    bool notify;  // followed by the engine
    int32_t dataSize;
};

// clang-format off
inline constexpr KeyedEntry<ParameterSpec> kParameterSpecEntries[] = {
    // key             name          unit  min    max   step   dflt  notify dataSize
    {ParamBand1,       {"Band1",      "dB", {-12.f, 12.f, 0.1f}, 0.f,  true,  kPlainValueSize}},
    {ParamBand2,       {"Band2",      "dB", {-12.f, 12.f, 0.1f}, 0.f,  true,  kPlainValueSize}},
    {ParamBand3,       {"Band3",      "dB", {-12.f, 12.f, 0.1f}, 0.f,  true,  kPlainValueSize}},
    {ParamBand4,       {"Band4",      "dB", {-12.f, 12.f, 0.1f}, 0.f,  true,  kPlainValueSize}},
    {ParamIn,          {"In",         "dB", {-20.f, 20.f, 0.1f}, 0.f,  true,  kPlainValueSize}},
    {ParamOut,         {"Out",        "dB", {-20.f, 20.f, 0.1f}, 0.f,  true,  kPlainValueSize}},
    {ParamShape,       {"Shape",      "",   {0.f,   4.f,  1.f},  0.f,  true,  kPlainValueSize}},
    {ParamPreset,      {"Preset",     "",   {0.f,   1.f,  0.f},  0.f,  false, kPlainValueSize}},
    {ParamBank,        {"",           "",   {0.f,   0.f,  0.f},  0.f,  true,  kBankSize}},
    {ParamPresetCount, {"NrOfPreset", "",   {1.f,   64.f, 1.f},  1.f,  false, kPlainValueSize}},
    {ParamEdit,        {"Edit",       "",   {0.f,   1.f,  1.f},  0.f,  false, kPlainValueSize}},
    {ParamSolo,        {"Solo",       "",   {-1.f,  4.f,  1.f},  -1.f, true,  kPlainValueSize}},
    {ParamDelete,      {"Delete",     "",   {0.f,   1.f,  1.f},  0.f,  false, kPlainValueSize}},
    {ParamCreate,      {"Create",     "",   {0.f,   1.f,  1.f},  0.f,  false, kPlainValueSize}},
    {ParamClip,        {"Clip",       "",   {0.f,   1.f,  1.f},  0.f,  false, kPlainValueSize}},
    {ParamModify,      {"Modify",     "",   {0.f,   18.f, 1.f},  0.f,  true,  kPlainValueSize}},
};
// clang-format on

// The module's parameters by index.
inline constexpr std::array<ParameterSpec, ParamCount> kParameterSpecs =
    tableByKey<ParameterSpec, ParamCount>(ParamBand1, kParameterSpecEntries);

constexpr const ParameterSpec& parameterSpec(int32_t index) {
    return kParameterSpecs[static_cast<size_t>(index)];
}

}  // namespace marrowfold
