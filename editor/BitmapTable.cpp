#include "editor/BitmapTable.h"

#include "gui/Bitmap.h"

namespace marrowfold {

void BitmapTable::Release::operator()(Bitmap* bitmap) const {
    bitmap->release();
}

BitmapTable::BitmapTable(int32_t firstId, int32_t count) : firstId_(firstId) {
    bitmaps_.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int32_t i = 0; i < count; ++i)
        bitmaps_.emplace_back(new Bitmap(firstId + i));
}

Bitmap* BitmapTable::bitmap(int32_t id) const {
    const int64_t slot = static_cast<int64_t>(id) - firstId_;
    if (slot < 0 || slot >= static_cast<int64_t>(bitmaps_.size())) return nullptr;
    return bitmaps_[static_cast<size_t>(slot)].get();
}

int32_t BitmapTable::width(int32_t id) const {
    const Bitmap* found = bitmap(id);
    return found ? found->width() : 0;
}

int32_t BitmapTable::height(int32_t id) const {
    const Bitmap* found = bitmap(id);
    return found ? found->height() : 0;
}

}  // namespace marrowfold
