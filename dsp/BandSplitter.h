#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/IirFilter.h"

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
// Construction allocates (and may throw std::bad_alloc); nothing else does.
class BandSplitter {
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

    // Moves edge k to hz and redesigns (and resets) the bands that touch it; k outside
    // 0..bandCount is ignored. Called on the audio thread.
    void setBandEdge(int32_t k, float hz);

    // Solos band (0..bandCount-1); any other value sums all bands. Called on the audio thread.
    void selectSoloBand(int32_t band);

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

    // The steps of processPiece: filters in into the band buffers, and writes the sum of
    // bands[band][channel] (or the soloed band) to out. Called on the audio thread.
    void filterBands(float* const* in, int32_t frames);
    void sumBands(const float* const* const* bands, float* const* out, int32_t frames) const;
    float* const* const* bandBuffers() { return bandBuffers_.data(); }

  private:
    void redesignBand(int32_t band);

    float sampleRate_;
    int32_t channelCount_;
    int32_t bandCount_;
    int32_t filterOrder_;
    int32_t soloBand_ = -1;
    bool soloActive_ = false;
    int32_t blockSize_;
    std::vector<BandSpec> bandSpecs_;
    std::vector<std::unique_ptr<IirFilter>> bandFilters_;
    std::unique_ptr<float[]> bandStorage_;    // bandCount x channelCount x blockSize samples
    std::vector<float*> channelBuffers_;      // bandCount x channelCount pointers into it
    std::vector<float* const*> bandBuffers_;  // per band: its channelCount pointers
    std::vector<float*> pieceIn_;             // per channel: offset pointers of an oversized
    std::vector<float*> pieceOut_;            // block that is processed in pieces
};

}  // namespace marrowfold
