#include "editor/SpectrumPlot.h"

#include <algorithm>

#include "gui/Canvas.h"

namespace marrowfold {

namespace {

// Dim blues under the grid: the output filled, the input's line a little lighter.
constexpr Color kOutputFill{31, 69, 117, 0};
constexpr Color kInputLine{73, 130, 171, 0};

}  // namespace

SpectrumPlot::SpectrumPlot(const Rect& area)
    : View(area),
      output_(static_cast<size_t>(std::max(area.width(), 0)), kBottomDecibels),
      input_(output_) {}

void SpectrumPlot::setLevels(const float* output, const float* input) {
    std::copy_n(output, output_.size(), output_.begin());
    std::copy_n(input, input_.size(), input_.begin());
}

void SpectrumPlot::clear() {
    std::fill(output_.begin(), output_.end(), kBottomDecibels);
    std::fill(input_.begin(), input_.end(), kBottomDecibels);
}

bool SpectrumPlot::empty() const {
    const auto isAudible = [this](float level) { return audible(level); };
    return std::none_of(output_.begin(), output_.end(), isAudible) &&
           std::none_of(input_.begin(), input_.end(), isAudible);
}

int32_t SpectrumPlot::rowOf(float decibels) const {
    const float clamped = std::clamp(decibels, kBottomDecibels, kTopDecibels);
    const float fraction = (clamped - kBottomDecibels) / (kTopDecibels - kBottomDecibels);
    return size_.bottom -
           static_cast<int32_t>(fraction * static_cast<float>(size_.height()) + 0.5f);
}

void SpectrumPlot::draw(Canvas* context) {
    if (!context || empty()) return;
    drawFilledCurve(*context);
    drawLine(*context);
}

// One polygon from the bottom-left corner along the curve to the bottom-right corner.
void SpectrumPlot::drawFilledCurve(Canvas& canvas) const {
    std::vector<Point> outline;
    outline.reserve(output_.size() + 2);
    outline.push_back({size_.left, size_.bottom});
    for (size_t x = 0; x < output_.size(); ++x)
        outline.push_back({size_.left + static_cast<int32_t>(x), rowOf(output_[x])});
    outline.push_back({size_.left + columns() - 1, size_.bottom});
    canvas.setFillColour(kOutputFill);
    canvas.fillPolygon(outline.data(), static_cast<int32_t>(outline.size()));
}

// The input's line in pieces, leaving out the columns at the bottom.
void SpectrumPlot::drawLine(Canvas& canvas) const {
    canvas.setPenColour(kInputLine);
    std::vector<Point> piece;
    const auto flush = [&] {
        if (piece.size() >= 2)
            canvas.drawPolyline(piece.data(), static_cast<int32_t>(piece.size()));
        piece.clear();
    };
    for (size_t x = 0; x < input_.size(); ++x) {
        if (!audible(input_[x])) {
            flush();
            continue;
        }
        piece.push_back({size_.left + static_cast<int32_t>(x), rowOf(input_[x])});
    }
    flush();
}

}  // namespace marrowfold
