#include "editor/DisplayFeed.h"

#include "editor/BandEditorView.h"
#include "editor/LevelMeterView.h"
#include "effect/AnalysisTap.h"

#include <utility>

namespace marrowfold {

namespace {

constexpr uint32_t kMillisecondsPerSecond = 1000;
constexpr size_t kTakeChunk = 2048;
constexpr size_t kLevelChunk = 64;

}  // namespace

DisplayFeed::DisplayFeed(std::shared_ptr<AnalysisTap> tap)
    : tap_(std::move(tap)), analyser_(0.0f), input_(kTakeChunk), output_(kTakeChunk) {}

void DisplayFeed::open(float sampleRate) {
    analyser_.setSampleRate(sampleRate);
    analyser_.reset();
    for (LevelMeter& meter : meters_) {
        meter.setSampleRate(sampleRate);
        meter.reset();
    }
    frameShown_ = false;
    tap_->open();
}

void DisplayFeed::close() {
    tap_->close();
}

void DisplayFeed::setSampleRate(float rate) {
    analyser_.setSampleRate(rate);
    for (LevelMeter& meter : meters_)
        meter.setSampleRate(rate);
}

void DisplayFeed::takeLevels() {
    BlockLevels blocks[kLevelChunk];
    size_t taken = 0;
    while ((taken = tap_->takeBlocks(blocks, kLevelChunk)) > 0) {
        for (size_t i = 0; i < taken; ++i)
            addToMeters(blocks[i]);
    }
}

void DisplayFeed::addToMeters(const BlockLevels& block) {
    for (int32_t b = 0; b < kBandCount; ++b) {
        meters_[static_cast<size_t>(MeterBand1 + b)].add(
            block.bands.peak[static_cast<size_t>(b)], block.bands.squares[static_cast<size_t>(b)],
            block.frames);
    }
    meters_[MeterInput].add(block.inputPeak, block.inputSquares, block.frames);
    meters_[MeterOutput].add(block.outputPeak, block.outputSquares, block.frames);
}

void DisplayFeed::showMeters(LevelMeterView* const* views) const {
    if (views == nullptr) return;
    for (size_t m = 0; m < meters_.size(); ++m) {
        if (views[m]) views[m]->setLevels(meters_[m].rmsDecibels(), meters_[m].peakDecibels());
    }
}

void DisplayFeed::takeSamples() {
    size_t taken = 0;
    while ((taken = tap_->takeSamples(input_.data(), output_.data(), kTakeChunk)) > 0)
        analyser_.feed(input_.data(), output_.data(), static_cast<int32_t>(taken));
}

bool DisplayFeed::refresh(BandEditorView* view, LevelMeterView* const* meterViews, uint32_t nowMs) {
    takeSamples();
    takeLevels();
    showMeters(meterViews);
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

void DisplayFeed::showIn(BandEditorView& view) {
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
