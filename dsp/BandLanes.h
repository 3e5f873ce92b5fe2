#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "dsp/BandLevels.h"
#include "dsp/IirFilter.h"
#include "dsp/LaneKernels.h"

namespace marrowfold {

// Runs the band filters, the shaping and the band sum of a four-band splitter on the lane
// kernels of one instruction set: every band of every channel is a lane, and the band signals
// of a block are held as rows (one row of lanes per sample). The band filters stay the home of
// the coefficients and histories: a block loads them into the lanes and stores them back,
// settled at the end of the block exactly as the filters' own process settles them. Construction
// allocates (and may throw std::bad_alloc); nothing else does.
class BandLanes {
  public:
    // True when a splitter with this many bands and channels, whose band filters run
    // sectionCount sections of coefficientCount coefficients, fits the lanes.
    static bool fits(int32_t bandCount, int32_t channels, int32_t sectionCount,
                     int32_t coefficientCount);

    // filters: one per band, each with channels histories; they must outlive this object.
    BandLanes(const LaneKernelSet& kernels, const std::array<IirFilter*, kLaneBands>& filters,
              int32_t channels, int32_t blockSize);

    // The steps of one block of at most blockSize frames, in this order; all run on the audio
    // thread. filter reads in (one pointer per channel) into the rows.
    void filter(const float* const* in, int32_t frames);
    // Shapes the rows with per-band factors; true if any driven sample lay beyond -1..1.
    bool shape(const std::array<float, kLaneBands>& drive,
               const std::array<float, kLaneBands>& level, const float* table, int32_t frames);
    // Adds the shaped rows' levels to levels, per band over every channel.
    void measure(int32_t frames, BandLevels& levels) const;
    // Writes the band sum, or band soloBand alone when it lies in 0..3, to out.
    void sum(float* const* out, int32_t frames, int32_t soloBand);

  private:
    // The filters of a block are loaded into, and stored back from, lane = channel * 4 + band.
    void loadLanes();
    void storeLanes();

    const LaneKernels& kernels_;
    std::array<IirFilter*, kLaneBands> filters_;
    int32_t channels_;
    int32_t lanes_;
    std::unique_ptr<LaneFilterState> state_;
    std::unique_ptr<LaneValues[]> rows_;  // LaneValues only for their alignment
};

}  // namespace marrowfold
