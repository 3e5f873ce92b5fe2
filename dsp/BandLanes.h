#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "dsp/AlignedFloats.h"
#include "dsp/AntialiasedShaping.h"
#include "dsp/BandLevels.h"
#include "dsp/FadingFilters.h"
#include "dsp/IirFilter.h"
#include "dsp/LaneKernels.h"

namespace marrowfold {

// Runs the band filters, the shaping and the band sum of a four-band splitter on the lane
// kernels of one instruction set: every band of every channel is a lane, and the band signals
// of a block are held as rows (one row of lanes per sample). The band filters stay the home of
// the coefficients and hand their histories to the lanes, which carry them on from block to
// block, settled exactly as the filters' own process settles them: the lanes take the
// coefficients again only after a design and the histories only after a reset, and hand the
// histories back when they go or are asked to. For a crossfade to new band designs the lanes
// run a second state beside the first, every lane of it at once. Construction allocates (and may
// throw std::bad_alloc); nothing else does.
class BandLanes final : public FadingFilters {
  public:
    // True when a splitter with this many bands and channels, whose band filters run
    // sectionCount sections of coefficientCount coefficients, fits the lanes.
    static bool fits(int32_t bandCount, int32_t channels, int32_t sectionCount,
                     int32_t coefficientCount);

    // filters: one per band, each with channels histories, and incoming: the filters a
    // crossfade moves each band to; all must outlive this object.
    BandLanes(const LaneKernelSet& kernels, const std::array<IirFilter*, kLaneBands>& filters,
              const std::array<const IirFilter*, kLaneBands>& incoming, int32_t channels,
              int32_t blockSize);
    // Hands the histories back, so the filters carry on where the lanes stopped.
    ~BandLanes();
    BandLanes(const BandLanes&) = delete;
    BandLanes& operator=(const BandLanes&) = delete;

    // The steps of one block of at most blockSize frames, in this order; all run on the audio
    // thread. The band filters read in (one pointer per channel) into the rows through the
    // FadingFilters operations.
    void startIncoming(uint32_t bands, const float* const* recent, int32_t frames) override;
    void filterRunning(const float* const* in, int32_t offset, int32_t frames) override;
    void blendIncoming(uint32_t bands, const float* const* in, int32_t frames,
                       const float* weights) override;
    void commitIncoming(uint32_t bands) override;
    // Shapes rows (the filtered ones or rows held elsewhere, such as oversampled ones) with
    // per-band factors, reading the table's segments, or the smooth curve where one is given;
    // true if any driven sample lay beyond -1..1.
    bool shape(const std::array<float, kLaneBands>& drive,
               const std::array<float, kLaneBands>& level, const float* segments,
               const SmoothCurve* smooth, float* rows, int32_t frames);
    // Adds the shaped rows' levels to levels, per band over every channel.
    void measure(int32_t frames, BandLevels& levels) const;
    // Writes the band sum, or band soloBand alone when it lies in 0..3, to out.
    void sum(float* const* out, int32_t frames, int32_t soloBand);

    // The same on rows held elsewhere.
    void sum(const float* rows, float* const* out, int32_t frames, int32_t soloBand);
    // shape anti-aliased (see AntialiasedShaping.h), on the filtered rows or on rows held
    // elsewhere; history holds kAntialiasingHistory rows of the lanes, which it carries on.
    bool shapeAntialiased(const std::array<float, kLaneBands>& drive,
                          const std::array<float, kLaneBands>& level,
                          const ShapeAntiderivatives& curve, double compensation, float* history,
                          float* rows, int32_t frames);
    // measure on rows held elsewhere, each sum of squares scaled by squareWeight (1 / factor for
    // rows at factor times the rate, so that it stays a sum over base-rate frames).
    void measure(const float* rows, int32_t frames, float squareWeight, BandLevels& levels) const;

    // Writes the histories as they stand into the filters, which otherwise keep the ones they
    // had when the lanes took them.
    void storeHistories();

    const LaneKernels& kernels() const { return kernels_; }
    // The filtered rows from frame on.
    const float* rowsAt(int32_t frame) const { return rows_.get() + frame * lanes_; }
    float* rowsAt(int32_t frame) { return rows_.get() + frame * lanes_; }

  private:
    // How many designs and resets of a filter the lanes have taken.
    struct FilterCounts {
        uint32_t designs = 0;
        uint32_t resets = 0;
    };

    LaneShaping laneShaping(const std::array<float, kLaneBands>& drive,
                            const std::array<float, kLaneBands>& level, const float* segments,
                            const SmoothCurve* smooth) const;
    // Each filter's band is lane = channel * 4 + band.
    void takeFilterChanges();
    void loadCoefficients(LaneFilterState& state, const IirFilter& filter, int32_t band) const;
    void loadHistories(LaneFilterState& state, const IirFilter& filter, int32_t band) const;
    void copyHistories(const LaneFilterState& from, LaneFilterState& to, int32_t band) const;
    // in from frame offset on: at most kMaxLaneChannels pointers.
    std::array<const float*, kMaxLaneChannels> inputAt(const float* const* in,
                                                       int32_t offset) const;

    const LaneKernels& kernels_;
    std::array<IirFilter*, kLaneBands> filters_;
    std::array<const IirFilter*, kLaneBands> incomingFilters_;
    int32_t channels_;
    int32_t lanes_;
    int32_t blockSize_;
    std::unique_ptr<LaneFilterState> state_;
    std::unique_ptr<LaneFilterState> incoming_;  // the state a crossfade moves to
    AlignedFloats rows_;
    AlignedFloats incomingRows_;
    std::array<FilterCounts, kLaneBands> seenCounts_{};
    bool loaded_ = false;  // whether the lanes hold the filters' state yet
};

}  // namespace marrowfold
