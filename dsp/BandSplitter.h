#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/EdgeFade.h"
#include "dsp/FadingFilters.h"
#include "dsp/IirFilter.h"
#include "dsp/RecentInput.h"

namespace marrowfold {

// Edges and type of one band; lower is stored without the factor the redesign applies.
struct BandSpec {
    int32_t type;
    double lower;
    double upper;
};

// Splits every channel into bands with parallel band-pass filters (not a crossover tree), lets
// the subclass work on the bands in shapeBands, and sums them back, or passes one soloed band.
// Edge k (0..bandCount) is the lower edge of band k and the upper edge of band k - 1. At
// construction the edges lie on a logarithmic grid from 20 Hz to half the sample rate.
//
// With smoothing on, an edge moved after audio has passed does not restart its bands from
// silence: each band it touches gets an incoming filter with the new design, started from
// silence on the last few milliseconds of input, and the band crossfades to it along the glide
// curve. Before any audio (and after reset), and with smoothing off, a move takes hold at once.
// Construction allocates (and may throw std::bad_alloc); nothing else does.
class BandSplitter : private FadingFilters {
  public:
    BandSplitter(int32_t sampleRate, int32_t channels, int32_t blockSize, int32_t bandCount,
                 int32_t filterOrder);
    virtual ~BandSplitter();

    // Clears every band filter's history.
    virtual void reset();

    // Filters in into every band, shapes the bands and writes their sum (or the soloed band)
    // to out; in is not changed unless it is out. A block longer than blockSize() is handled
    // in pieces that fit the band buffers. Called on the audio thread.
    virtual void process(float* const* in, float* const* out, int32_t frames);

    // The subclass's step between filtering and summing: works in place on bands[band][channel],
    // frames samples each. Called on the audio thread.
    virtual void shapeBands(float* const* const* bands, int32_t frames) = 0;

    // Moves edge k to hz and redesigns (and resets) the bands that touch it, or crossfades them
    // to their new designs (see above), leaving a band whose edges stay as they were; k outside
    // 0..bandCount is ignored. Called on the audio thread.
    void setBandEdge(int32_t k, float hz);

    // Whether moves glide (off at construction). Called on the audio thread.
    virtual void setSmoothing(bool on);
    bool smoothing() const { return smoothing_; }
    // Whether changes made now glide: smoothing is on and audio has passed.
    bool glidesDue() const { return smoothing_ && heard_; }
    // The last few milliseconds of input, kept while smoothing is on.
    const RecentInput& recentInput() const { return recent_; }
    // True while a crossfade to new band filters runs or waits.
    bool edgesMoving() const { return edgeFade_.fading() != 0 || edgeFade_.waiting(); }

    // Solos band (0..bandCount-1); any other value sums all bands. Called on the audio thread.
    void selectSoloBand(int32_t band);

    // The bands' edges as last set; while a crossfade runs, the running filters of its bands
    // still hold the edges before.
    float sampleRate() const { return sampleRate_; }
    int32_t channelCount() const { return channelCount_; }
    int32_t bandCount() const { return bandCount_; }
    int32_t filterOrder() const { return filterOrder_; }
    int32_t blockSize() const { return blockSize_; }
    int32_t soloBand() const { return soloBand_; }
    bool soloActive() const { return soloActive_; }
    const BandSpec& bandSpec(int32_t band) const { return bandSpecs_[band]; }
    const IirFilter& bandFilter(int32_t band) const { return *bandFilters_[band]; }

  protected:
    // One piece of a block, at most blockSize() frames: filters every band, shapes and sums.
    // Called on the audio thread.
    virtual void processPiece(float* const* in, float* const* out, int32_t frames);
    IirFilter& mutableBandFilter(int32_t band) { return *bandFilters_[band]; }
    IirFilter& incomingFilter(int32_t band) { return *incomingFilters_[band]; }

    // The steps of processPiece: filters in into the band buffers, and writes the sum of
    // bands[band][channel] (or the soloed band) to out. Called on the audio thread.
    void filterBands(float* const* in, int32_t frames);
    // summed: the band to pass alone, or -1 for the sum of all (see summedBand).
    void sumBands(const float* const* const* bands, float* const* out, int32_t frames,
                  int32_t summed) const;
    // What the sum of the next piece passes: the soloed band, or -1 for every band. Asked before
    // the piece is shaped.
    virtual int32_t summedBand() const { return soloActive_ ? soloBand_ : -1; }
    float* const* const* bandBuffers() { return bandBuffers_.data(); }
    // Runs the band filters of a piece through filters (the reference filters or the lanes),
    // crossfading bands whose edges moved. Called on the audio thread.
    void filterMoving(FadingFilters& filters, const float* const* in, int32_t frames);
    // Takes over another splitter's edges, solo and smoothing, as a splitter starts that is to
    // sound like it; the other has the same layout. Then resets.
    void copyBands(const BandSplitter& other);
    // The running crossfade starts over, as the filters that held its incoming state are gone.
    void restartEdgeFade() { edgeFade_.restart(); }

  private:
    // The reference filters' side of a crossfade (see FadingFilters).
    void startIncoming(uint32_t bands, const float* const* recent, int32_t frames) override;
    void filterRunning(const float* const* in, int32_t offset, int32_t frames) override;
    void blendIncoming(uint32_t bands, const float* const* in, int32_t frames,
                       const float* weights) override;
    void commitIncoming(uint32_t bands) override;

    // Keeps the band's edges below the limits of a design; then designs filter for them.
    void limitEdges(int32_t band);
    void designBand(int32_t band, IirFilter& filter) const;
    // Points each channel's entry of pointers at frame offset of channels[channel].
    void pointAt(std::vector<float*>& pointers, const float* const* channels, int32_t offset) const;

    float sampleRate_;
    int32_t channelCount_;
    int32_t bandCount_;
    int32_t filterOrder_;
    int32_t soloBand_ = -1;
    bool soloActive_ = false;
    bool smoothing_ = false;
    bool heard_ = false;  // audio has passed since construction or reset
    int32_t blockSize_;
    std::vector<BandSpec> bandSpecs_;
    std::vector<std::unique_ptr<IirFilter>> bandFilters_;
    std::vector<std::unique_ptr<IirFilter>> incomingFilters_;  // per band, its new design
    // bandCount x channelCount x blockSize samples each: the band signals, and those of the
    // incoming filters.
    std::unique_ptr<float[]> bandStorage_;
    std::unique_ptr<float[]> incomingStorage_;
    std::vector<float*> channelBuffers_;      // bandCount x channelCount pointers into bandStorage_
    std::vector<float*> incomingBuffers_;     // the same into incomingStorage_
    std::vector<float* const*> bandBuffers_;  // per band: its channelCount pointers
    std::vector<float*> pieceIn_;             // per channel: offset pointers of an oversized
    std::vector<float*> pieceOut_;            // block that is processed in pieces
    std::vector<float*> offsetIn_;            // per channel: offset pointers within a piece
    std::vector<float*> offsetOut_;
    EdgeFade edgeFade_;
    std::vector<float*> primingIn_;  // per channel: the input an incoming filter starts on
    int32_t edgePriming_;            // how many samples of it
    RecentInput recent_;             // the input the incoming filters start on
};

}  // namespace marrowfold
