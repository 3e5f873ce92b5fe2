#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

namespace marrowfold::fuzz {

// The longest block a fuzz target hands to a process entry point.
inline constexpr int32_t kMaxFrames = 8192;
// The most raw samples one block takes from the fuzz input.
inline constexpr size_t kSampleWords = 64;
// Texts and data the host lends the plug-in come in buffers of this size, as in common hosts.
inline constexpr size_t kHostBufferSize = 256;

// Integers a host might pass: mostly values near the edges of counts, indices and sizes.
int32_t edgyInt(FuzzedDataProvider& input);
// A pointer-sized request value: mostly edgyInt, sometimes beyond the 32-bit range.
intptr_t edgyValue(FuzzedDataProvider& input);
// Floats a host or a corrupted file might deliver: ordinary host values 0..1, values just
// outside, NaN, infinities, denormals, the largest and smallest finite values, or any bit pattern.
float edgyFloat(FuzzedDataProvider& input);
// A host value 0..1.
float hostValue(FuzzedDataProvider& input);

// Two input and two output channels of kMaxFrames samples, handed to the plug-in as the host's
// arrays of channel pointers.
class StereoBlock {
  public:
    StereoBlock();
    float** inputs();
    float** outputs();
    float* input(int32_t channel) { return in[channel].data(); }
    float* output(int32_t channel) { return out[channel].data(); }

    // Fills both inputs with up to kSampleWords samples read from the fuzz input (raw float bits),
    // repeated over the block; silence when the input is empty. Taking few bytes per block
    // leaves the rest of a short input for the blocks and parameter changes that follow.
    void fillInputs(FuzzedDataProvider& input, int32_t frames);
    // A steady tone on both inputs, for calls whose interest is not the signal.
    void fillTone(int32_t frames, float amplitude);
    void clearOutputs(float value = 0.0f);

  private:
    std::vector<float> in[2];
    std::vector<float> out[2];
    float* inPointers[2] = {};
    float* outPointers[2] = {};
};

}  // namespace marrowfold::fuzz
