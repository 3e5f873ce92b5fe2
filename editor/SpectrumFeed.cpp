#include "editor/SpectrumFeed.h"

#include "editor/BandEditorView.h"
#include "effect/AnalysisTap.h"

#include <utility>

namespace marrowfold {

namespace {

constexpr uint32_t kMillisecondsPerSecond = 1000;
constexpr size_t kTakeChunk = 2048;

}  // namespace

SpectrumFeed::SpectrumFeed(std::shared_ptr<AnalysisTap> tap)
    : tap_(std::move(tap)), analyser_(0.0f), input_(kTakeChunk), output_(kTakeChunk) {}

void SpectrumFeed::open(float sampleRate) {
    analyser_.setSampleRate(sampleRate);
    analyser_.reset();
    frameShown_ = false;
    tap_->open();
}

void SpectrumFeed::close() {
    tap_->close();
}

void SpectrumFeed::takeSamples() {
    size_t taken = 0;
    while ((taken = tap_->takeSamples(input_.data(), output_.data(), kTakeChunk)) > 0)
        analyser_.feed(input_.data(), output_.data(), static_cast<int32_t>(taken));
}

bool SpectrumFeed::refresh(BandEditorView* view, uint32_t nowMs) {
    takeSamples();
    const bool due =
        !frameShown_ || nowMs - lastFrameMs_ >= kMillisecondsPerSecond / kFramesPerSecond;
    if (view == nullptr || !due || !analyser_.update()) return false;
    lastFrameMs_ = nowMs;
    frameShown_ = true;
    const bool wasEmpty = view->spectrum().empty();
    showIn(*view);
    view->showSpectrumToggle(!analyser_.silent());
    return !(wasEmpty && view->spectrum().empty());
}

void SpectrumFeed::showIn(BandEditorView& view) {
    SpectrumPlot& plot = view.spectrum();
    const size_t columns = static_cast<size_t>(plot.columns());
    inputColumns_.resize(columns);
    outputColumns_.resize(columns);
    for (size_t x = 0; x < columns; ++x) {
        const float hz = view.columnFrequency(plot.bounds().left + static_cast<int32_t>(x));
        inputColumns_[x] = analyser_.levelAt(SpectrumAnalyser::Input, hz);
        outputColumns_[x] = analyser_.levelAt(SpectrumAnalyser::Output, hz);
    }
    plot.setLevels(outputColumns_.data(), inputColumns_.data());
}

}  // namespace marrowfold
