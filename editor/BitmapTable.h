#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace marrowfold {

class Bitmap;

// The pictures of a run of consecutive resource ids, all loaded when the table is made and
// released when it is deleted. Lookups outside the run give no bitmap and a size of 0.
class BitmapTable {
  public:
    BitmapTable(int32_t firstId, int32_t count);

    Bitmap* bitmap(int32_t id) const;
    int32_t width(int32_t id) const;
    int32_t height(int32_t id) const;

    int32_t firstId() const { return firstId_; }
    int32_t count() const { return static_cast<int32_t>(bitmaps_.size()); }

  private:
    // Bitmaps are shared by reference count: the table gives its reference back.
    struct Release {
        void operator()(Bitmap* bitmap) const;
    };

    int32_t firstId_;
    std::vector<std::unique_ptr<Bitmap, Release>> bitmaps_;
};

}  // namespace marrowfold
