#include "editor/PresetNameView.h"

#include <cstring>

namespace marrowfold {

PresetNameView::PresetNameView(const Rect& size, Bitmap* background, int32_t style)
    : ValueDisplay(size, background, style | kFillToEdges) {
    shadowColour_ = kBlack;
}

void PresetNameView::chooseFont(int32_t id) {
    if (id == fontId()) return;
    selectFont(id);
    setNeedsRedraw(true);
}

void PresetNameView::setBackdropOffset(const Point& offset) {
    if (offset == backgroundOffset_) return;
    ValueDisplay::setBackdropOffset(offset);
    setNeedsRedraw(true);
}

void PresetNameView::showName(const char* text) {
    std::string name = text ? text : "";
    if (name.size() > kMaxNameChars) name.resize(kMaxNameChars);
    if (name == name_) return;
    name_ = std::move(name);
    setNeedsRedraw(true);
}

void PresetNameView::composeText(char* text) const {
    std::memcpy(text, name_.c_str(), name_.size() + 1);
}

}  // namespace marrowfold
