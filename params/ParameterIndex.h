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
// "Modify" codes: 0..3 name band drives, 4..8 name edges 0..4, kModifyAll every drive and edge.
inline constexpr int32_t kFirstEdgeModifyCode = 4;
inline constexpr int32_t kModifyAll = 18;

// Change flags reported by the band editor view: the low four bits name the edge or band.
inline constexpr int32_t kEdgeMovedFlag = 16;
inline constexpr int32_t kDriveChangedFlag = 32;
inline constexpr int32_t kBandClickedFlag = 64;
inline constexpr int32_t kFlagIndexMask = 15;

}  // namespace marrowfold
