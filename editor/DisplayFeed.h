#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/LevelMeter.h"
#include "analysis/SpectrumAnalyser.h"
#include "params/HostMeters.h"

namespace marrowfold {

class AnalysisTap;
class BandEditorView;
class LevelMeterView;
struct BlockLevels;

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

    // Takes what the audio thread left and hands the meter views, one per host meter in the host
    // meters' order (null ones left out), their readings. When a frame is due at nowMs and view is
    // given, the view gets the new spectrum, and its toggle is shown while there is audio to show;
    // true when the view needs repainting.
    bool refresh(BandEditorView* view, LevelMeterView* const* meterViews, uint32_t nowMs);

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
    std::array<LevelMeter, HostMeterCount> meters_;
    uint32_t lastFrameMs_ = 0;
    bool frameShown_ = false;
};

}  // namespace marrowfold
