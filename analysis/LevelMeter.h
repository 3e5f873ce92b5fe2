#pragma once

#include <cstdint>

namespace marrowfold {

// The ballistics of one level meter, fed block by block with a block's largest magnitude and sum
// of squares. RMS is the root of a mean square that follows each block with the time constant
// kRmsSeconds; the peak reading holds the highest peak for kHoldSeconds, then falls by
// kPeakFallDecibelsPerSecond. Both read kFloorDecibels at the least. Runs on the editor's thread.
class LevelMeter {
  public:
    static constexpr float kFloorDecibels = -60.0f;
    static constexpr float kRmsSeconds = 0.3f;
    static constexpr float kHoldSeconds = 1.0f;
    static constexpr float kPeakFallDecibelsPerSecond = 20.0f;

    void setSampleRate(float rate) { sampleRate_ = rate; }
    void reset();
    void add(float peak, float squares, int32_t frames);

    float rmsDecibels() const;
    float peakDecibels() const { return peakDecibels_; }

  private:
    float sampleRate_ = 0.0f;
    float meanSquare_ = 0.0f;
    float peakDecibels_ = kFloorDecibels;
    float holdLeftSeconds_ = 0.0f;
};

}  // namespace marrowfold
