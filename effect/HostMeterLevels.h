#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "dsp/BandLevels.h"
#include "params/HostMeters.h"

namespace marrowfold {

// The levels hosts read as meters: measured on the audio thread only once a host has asked for
// them, and kept per meter as the largest magnitude since the last reading. Measuring neither
// allocates nor locks; a reading may come from any thread.
class HostMeterLevels {
  public:
    bool enabled() const { return enabled_.load(std::memory_order_relaxed); }

    // Audio thread, while enabled: raises a meter (a HostMeterKey) to the largest magnitude of
    // the channels' frames, or to a magnitude measured elsewhere.
    void measure(int32_t meter, const float* const* channels, int32_t count, int32_t frames);
    void raise(int32_t meter, float magnitude);
    void addBands(const BandLevels& bands);

    // Writes each meter's reading in dB (HostMeterCount of them) and starts the next; the first
    // reading switches the measuring on.
    void take(float* decibels);

  private:
    std::atomic<bool> enabled_{false};
    std::array<std::atomic<float>, HostMeterCount> peaks_{};
};

}  // namespace marrowfold
