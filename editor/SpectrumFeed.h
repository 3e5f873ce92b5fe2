#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/SpectrumAnalyser.h"

namespace marrowfold {

class AnalysisTap;
class BandEditorView;

// Brings the audio an open editor window shows from the effect's tap to the band editor: takes
// the samples the audio thread left, feeds the analyser, and at most kFramesPerSecond times a
// second hands the band editor a new spectrum, one level per column of its frequency axis.
// Everything here runs on the editor's thread.
class SpectrumFeed {
  public:
    static constexpr uint32_t kFramesPerSecond = 30;

    explicit SpectrumFeed(std::shared_ptr<AnalysisTap> tap);

    // The window opened or closed: the tap starts or stops, and the analyser starts afresh.
    void open(float sampleRate);
    void close();
    void setSampleRate(float rate) { analyser_.setSampleRate(rate); }

    // Takes what the audio thread left. When a frame is due at nowMs and view is given, the view
    // gets the new spectrum, and its toggle is shown while there is audio to show; true when the
    // view needs repainting.
    bool refresh(BandEditorView* view, uint32_t nowMs);

    const SpectrumAnalyser& analyser() const { return analyser_; }

  private:
    void takeSamples();
    void showIn(BandEditorView& view);

    std::shared_ptr<AnalysisTap> tap_;
    SpectrumAnalyser analyser_;
    std::vector<float> input_;
    std::vector<float> output_;
    std::vector<float> inputColumns_;
    std::vector<float> outputColumns_;
    uint32_t lastFrameMs_ = 0;
    bool frameShown_ = false;
};

}  // namespace marrowfold
