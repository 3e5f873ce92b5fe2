#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/BandShaper.h"
#include "dsp/Glide.h"

namespace marrowfold {

// Two band shapers of one layout: the one heard, and a second one that a preset or program switch
// makes sound like the new setting. The switch gives the second shaper the heard one's setting,
// lets the caller apply the new one to it, runs it from silence over the last few milliseconds of
// input, and then crossfades the output from the heard shaper to it along the glide curve;
// after that the two trade places. During the crossfade each chain runs unchanged (old filters
// into the old curve, new filters into the new one), so neither band signals nor curves move
// while they are heard. Construction allocates (and may throw std::bad_alloc); nothing else does,
// and everything else runs on the audio thread unless it says otherwise.
class ShaperPair {
  public:
    ShaperPair(int32_t sampleRate, int32_t channels, int32_t blockSize, int32_t bandCount,
               int32_t filterOrder);

    // The shaper whose output is heard, or faded out during a switch.
    BandShaper& heard() { return *heard_; }
    const BandShaper& heard() const { return *heard_; }
    // Where changes go: the shaper a running switch fades to, else the heard one.
    BandShaper& target() { return switching() ? *incoming_ : *heard_; }
    bool switching() const { return fade_.moving(); }

    // The two steps of a switch: the first answers the shaper to apply the new setting to, the
    // second starts the crossfade to it.
    BandShaper& beginSwitch();
    void startSwitch();

    // Processes a block through the heard shaper, and during a switch through both, crossfaded.
    // in may be out.
    void process(float* const* in, float* const* out, int32_t frames);

    // Applies a setting to both shapers: act(BandShaper&) answers whether it was taken. Off the
    // audio thread where the setting allocates (the kernel set).
    template <typename Act>
    bool forBoth(Act act) {
        const bool heardTook = act(*heard_);
        return act(*incoming_) && heardTook;
    }
    // The clip flag of either shaper, which is then cleared in both.
    float takeClipFlag();
    // The heard shaper measures into levels; the other does not (see BandShaper).
    void meterBandsInto(BandLevels* levels);

  private:
    // Runs one piece of at most the block size.
    void processPiece(float* const* in, float* const* out, int32_t frames);
    void pointAt(std::vector<float*>& pointers, float* const* channels, int32_t offset) const;

    int32_t channels_;
    int32_t blockSize_;
    std::unique_ptr<BandShaper> heard_;
    std::unique_ptr<BandShaper> incoming_;
    Glide fade_;  // the weight of the incoming shaper, 0 to 1
    BandLevels* meter_ = nullptr;
    std::vector<std::vector<float>> incomingOut_;  // per channel, one block
    std::vector<float*> incomingPointers_;
    std::vector<float> weights_;  // one block
    // Offset channel pointers of a block processed in pieces.
    std::vector<float*> pieceIn_;
    std::vector<float*> pieceOut_;
};

}  // namespace marrowfold
