#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

namespace marrowfold::testing {

// A screenshot read back: 0xRRGGBB pixels, 0 outside the picture.
class ScreenPixels {
  public:
    explicit ScreenPixels(const std::string& pngPath);
    ~ScreenPixels();
    ScreenPixels(const ScreenPixels&) = delete;
    ScreenPixels& operator=(const ScreenPixels&) = delete;

    uint32_t at(int32_t x, int32_t y) const;
    // Whether the rectangle lies wholly inside the picture.
    bool covers(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    // Whether the two pictures differ anywhere in the rectangle.
    bool differsIn(const ScreenPixels& other, int32_t left, int32_t top, int32_t right,
                   int32_t bottom) const;

    // How many pixels of the rectangle are not `colour`.
    int32_t countOther(uint32_t colour, int32_t left, int32_t top, int32_t right,
                       int32_t bottom) const;

  private:
    cairo_surface_t* surface;
};

}  // namespace marrowfold::testing
