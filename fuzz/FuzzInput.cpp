#include "fuzz/FuzzInput.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace marrowfold::fuzz {

namespace {

constexpr int32_t kEdgeInts[] = {
    0,
    1,
    -1,
    2,
    3,
    4,
    5,
    6,
    7,
    8,
    9,
    15,
    16,
    17,
    18,
    19,
    31,
    32,
    63,
    64,
    65,
    255,
    256,
    1024,
    4096,
    6499,
    6500,
    6501,
    25999,
    26000,
    26001,
    std::numeric_limits<int32_t>::max(),
    std::numeric_limits<int32_t>::min(),
};

constexpr float kEdgeFloats[] = {
    0.0f,
    -0.0f,
    1.0f,
    0.5f,
    0.999999f,
    1.0000001f,
    -1.0f,
    2.0f,
    18.0f,
    64.0f,
    65.0f,
    1e30f,
    -1e30f,
    std::numeric_limits<float>::quiet_NaN(),
    -std::numeric_limits<float>::quiet_NaN(),
    std::numeric_limits<float>::infinity(),
    -std::numeric_limits<float>::infinity(),
    std::numeric_limits<float>::denorm_min(),
    -std::numeric_limits<float>::denorm_min(),
    std::numeric_limits<float>::min(),
    std::numeric_limits<float>::max(),
    std::numeric_limits<float>::lowest(),
};

// edge + offset, wrapping around the int32 range like the host's own arithmetic would.
int32_t nearEdge(int32_t edge, int32_t offset) {
    return static_cast<int32_t>(static_cast<uint32_t>(edge) + static_cast<uint32_t>(offset));
}

float floatFromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

constexpr float kTwoPi = 6.2831853f;
constexpr float kToneCycle = 64.0f;

}  // namespace

int32_t edgyInt(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return input.PickValueInArray(kEdgeInts);
        case 1:
            return input.ConsumeIntegralInRange<int32_t>(-2, 70);
        case 2:
            return nearEdge(input.PickValueInArray(kEdgeInts),
                            input.ConsumeIntegralInRange<int32_t>(-2, 2));
        default:
            return input.ConsumeIntegral<int32_t>();
    }
}

intptr_t edgyValue(FuzzedDataProvider& input) {
    if (input.ConsumeIntegralInRange<int>(0, 7) != 0) return edgyInt(input);
    constexpr int64_t kBeyond32Bits = int64_t{1} << 32;
    const int64_t edges[] = {kBeyond32Bits + 6500,
                             kBeyond32Bits + 26000,
                             kBeyond32Bits - 1,
                             -kBeyond32Bits,
                             std::numeric_limits<int64_t>::max(),
                             std::numeric_limits<int64_t>::min()};
    return static_cast<intptr_t>(input.ConsumeBool() ? input.PickValueInArray(edges)
                                                     : input.ConsumeIntegral<int64_t>());
}

float edgyFloat(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return hostValue(input);
        case 1:
            return input.PickValueInArray(kEdgeFloats);
        case 2:
            return input.ConsumeFloatingPointInRange<float>(-100.0f, 100.0f);
        default:
            return floatFromBits(input.ConsumeIntegral<uint32_t>());
    }
}

float hostValue(FuzzedDataProvider& input) {
    return input.ConsumeProbability<float>();
}

StereoBlock::StereoBlock() {
    for (int ch = 0; ch < 2; ++ch) {
        in[ch].assign(kMaxFrames, 0.0f);
        out[ch].assign(kMaxFrames, 0.0f);
    }
}

float** StereoBlock::inputs() {
    inPointers[0] = in[0].data();
    inPointers[1] = in[1].data();
    return inPointers;
}

float** StereoBlock::outputs() {
    outPointers[0] = out[0].data();
    outPointers[1] = out[1].data();
    return outPointers;
}

void StereoBlock::fillInputs(FuzzedDataProvider& input, int32_t frames) {
    const size_t wanted =
        std::min(2 * static_cast<size_t>(frames), kSampleWords) * sizeof(uint32_t);
    const std::vector<uint8_t> raw =
        input.ConsumeBytes<uint8_t>(std::min(wanted, input.remaining_bytes()));
    const size_t words = raw.size() / sizeof(uint32_t);
    for (int ch = 0; ch < 2; ++ch) {
        for (int32_t n = 0; n < frames; ++n) {
            const size_t k = 2 * static_cast<size_t>(n) + ch;
            in[ch][n] = 0.0f;
            if (words > 0) std::memcpy(&in[ch][n], &raw[(k % words) * sizeof(uint32_t)], 4);
        }
    }
}

void StereoBlock::fillTone(int32_t frames, float amplitude) {
    for (int32_t n = 0; n < frames; ++n) {
        const float sample = amplitude * std::sin(kTwoPi * static_cast<float>(n) / kToneCycle);
        in[0][n] = sample;
        in[1][n] = -sample;
    }
}

void StereoBlock::clearOutputs(float value) {
    for (auto& channel : out)
        std::fill(channel.begin(), channel.end(), value);
}

}  // namespace marrowfold::fuzz
