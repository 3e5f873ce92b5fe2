#pragma once

#include <cstdint>

namespace marrowfold {

enum ParameterIndex : int32_t {
    ParamBand1 = 0,
    ParamBand2,
    ParamBand3,
    ParamBand4,
    ParamIn,
    ParamOut,
    ParamShape,
    ParamPreset,
    ParamBank,
    ParamPresetCount,
    ParamEdit,
    ParamSolo,
    ParamDelete,
    ParamCreate,
    ParamClip,
    ParamModify,
    ParamCount  // 16
};

inline constexpr int32_t kHostParameterCount = 8;  // indices 0..7 are host-visible
inline constexpr int32_t kModifyAll = 18;          // "Modify" code: every drive and edge

}  // namespace marrowfold
