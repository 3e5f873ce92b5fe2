#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/LevelMeter.h"
#include "analysis/SpectrumAnalyser.h"
#include "params/PresetRecord.h"

namespace marrowfold {

class AnalysisTap;
class BandEditorView;
class LevelMeterView;
struct BlockLevels;

// The meters an editor shows: one per band, then input and output.
inline constexpr int32_t kMeterCount = kBandCount + 2;
inline constexpr int32_t kInputMeter = kBandCount;
inline constexpr int32_t kOutputMeter = kBandCount + 1;

// Brings the audio an open editor window shows from the effect's tap to its views: takes the
// samples and block levels the audio thread left, feeds the analyser and the meters, and at most
// kFramesPerSecond times a second hands the band editor a new spectrum, one level per column of
// its frequency axis, and the meter views their readings. Everything here runs on the editor's
// thread.
class DisplayFeed {
  public:
    static constexpr uint32_t kFramesPerSecond = 30;

    explicit DisplayFeed(std::shared_ptr<AnalysisTap> tap);

    // The window opened or closed: the tap starts or stops, and the analyser starts afresh.
    void open(float sampleRate);
    void close();
    void setSampleRate(float rate);

    // Takes what the audio thread left and hands the kMeterCount meter views (null ones left out)
    // their readings. When a frame is due at nowMs and view is given, the view gets the new
    // spectrum, and its toggle is shown while there is audio to show; true when the view needs
    // repainting.
    bool refresh(BandEditorView* view, LevelMeterView* const* meterViews, uint32_t nowMs);

    const SpectrumAnalyser& analyser() const { return analyser_; }
    const LevelMeter& meter(int32_t index) const { return meters_[static_cast<size_t>(index)]; }

  private:
    void takeSamples();
    void takeLevels();
    void addToMeters(const BlockLevels& block);
    void showMeters(LevelMeterView* const* views) const;
    void showIn(BandEditorView& view);

    std::shared_ptr<AnalysisTap> tap_;
    SpectrumAnalyser analyser_;
    std::vector<float> input_;
    std::vector<float> output_;
    std::vector<float> inputColumns_;
    std::vector<float> outputColumns_;
    std::array<LevelMeter, kMeterCount> meters_;
    uint32_t lastFrameMs_ = 0;
    bool frameShown_ = false;
};

}  // namespace marrowfold
