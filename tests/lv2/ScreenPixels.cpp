#include "tests/lv2/ScreenPixels.h"

namespace marrowfold::testing {

ScreenPixels::ScreenPixels(const std::string& pngPath)
    : surface(cairo_image_surface_create_from_png(pngPath.c_str())) {}

ScreenPixels::~ScreenPixels() {
    cairo_surface_destroy(surface);
}

uint32_t ScreenPixels::at(int32_t x, int32_t y) const {
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || x < 0 || y < 0 ||
        x >= cairo_image_surface_get_width(surface) || y >= cairo_image_surface_get_height(surface))
        return 0;
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xffffffu;
}

bool ScreenPixels::covers(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && left >= 0 && top >= 0 &&
           right <= cairo_image_surface_get_width(surface) &&
           bottom <= cairo_image_surface_get_height(surface);
}

bool ScreenPixels::differsIn(const ScreenPixels& other, int32_t left, int32_t top, int32_t right,
                             int32_t bottom) const {
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) {
            if (at(x, y) != other.at(x, y)) return true;
        }
    }
    return false;
}

int32_t ScreenPixels::countOther(uint32_t colour, int32_t left, int32_t top, int32_t right,
                                 int32_t bottom) const {
    int32_t count = 0;
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x)
            count += at(x, y) != colour ? 1 : 0;
    }
    return count;
}

}  // namespace marrowfold::testing
