#pragma once

// What the editor, the bitmap generator and the render tool's pictures share about the panel's
// look: the bitmaps by resource id with the size each is drawn at, the knob filmstrip, and the
// palette.

#include <array>
#include <cstdint>

#include "core/KeyedTable.h"

namespace marrowfold {

enum PanelBitmapId : int32_t {
    PanelBitmap = 1000,  // the left half is the compact panel, the whole the expanded one
    SplashBitmap = 1001,
    EditBitmap = 1002,
    DeleteBitmap = 1003,
    LampBitmap = 1004,  // Solo and Create
    ClipBitmap = 1005,
    FirstShapeBitmap = 1006,  // one for each of the five shapes
    SliderHandleBitmap = 1011,
    KnobStripBitmap = 1012,
    PanelBitmapEnd
};
inline constexpr int32_t kPanelBitmapCount = PanelBitmapEnd - PanelBitmap;
inline constexpr int32_t kShapeBitmapCount = SliderHandleBitmap - FirstShapeBitmap;

// The knob filmstrip: square frames stacked from the lowest value to the highest.
inline constexpr int32_t kKnobFrameCount = 63;
inline constexpr int32_t kKnobFrameSize = 32;

struct BitmapSize {
    int32_t width;
    int32_t height;
};

inline constexpr KeyedEntry<BitmapSize> kPanelBitmapSizeEntries[] = {
    {PanelBitmap, {728, 213}},
    {SplashBitmap, {365, 213}},
    {EditBitmap, {31, 26}},
    {DeleteBitmap, {11, 22}},
    {LampBitmap, {11, 22}},
    {ClipBitmap, {15, 30}},
    {FirstShapeBitmap, {31, 26}},
    {FirstShapeBitmap + 1, {31, 26}},
    {FirstShapeBitmap + 2, {31, 26}},
    {FirstShapeBitmap + 3, {31, 26}},
    {FirstShapeBitmap + 4, {31, 26}},
    {SliderHandleBitmap, {27, 13}},
    {KnobStripBitmap, {kKnobFrameSize, kKnobFrameSize* kKnobFrameCount}},
};
inline constexpr std::array<BitmapSize, kPanelBitmapCount> kPanelBitmapSizes =
    tableByKey<BitmapSize, kPanelBitmapCount>(PanelBitmap, kPanelBitmapSizeEntries);

constexpr BitmapSize panelBitmapSize(int32_t id) {
    return kPanelBitmapSizes[static_cast<size_t>(id - PanelBitmap)];
}

// The panel's colours, 8 bits a channel.
struct PaletteColour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

namespace palette {
inline constexpr PaletteColour kPanelBlue{0, 15, 67};
inline constexpr PaletteColour kSlate{38, 51, 95};
inline constexpr PaletteColour kLightBlue{89, 168, 209};
inline constexpr PaletteColour kPaleCyan{121, 207, 241};
inline constexpr PaletteColour kLabel{246, 248, 252};
inline constexpr PaletteColour kKey{255, 255, 255};  // keyed out when a bitmap is drawn
inline constexpr PaletteColour kDeepBlue{0, 9, 42};
inline constexpr PaletteColour kMuted{70, 96, 150};
inline constexpr PaletteColour kClipRed{235, 48, 48};
}  // namespace palette

}  // namespace marrowfold
