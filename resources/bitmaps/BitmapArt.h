#pragma once

// The pictures of the editor, each drawn at the size of its resource.

#include "resources/bitmaps/BitmapPainter.h"

namespace marrowfold::art {

void drawPanel(cairo_t* cr);                    // 1000, 728 x 213
void drawSplash(cairo_t* cr);                   // 1001, 365 x 213
void drawEditButton(cairo_t* cr);               // 1002, 31 x 26
void drawSmallButton(cairo_t* cr, int symbol);  // 1003 (cross), 1004 (lamp), 11 x 22
void drawClipLamp(cairo_t* cr);                 // 1005, 15 x 30
void drawShapeButton(cairo_t* cr, int shape);   // 1006..1010, 31 x 26
void drawSliderHandle(cairo_t* cr);             // 1011, 27 x 13
void drawKnobStrip(cairo_t* cr);                // 1012, 32 x 2016

}  // namespace marrowfold::art
