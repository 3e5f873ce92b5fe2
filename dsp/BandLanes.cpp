#include "dsp/BandLanes.h"

#include <emmintrin.h>

#include "dsp/Glide.h"

#include <algorithm>
#include <cmath>

namespace marrowfold {

bool BandLanes::fits(int32_t bandCount, int32_t channels, int32_t sectionCount,
                     int32_t coefficientCount) {
    return bandCount == kLaneBands && channels >= 1 && channels <= kMaxLaneChannels &&
           sectionCount == kLaneSections && coefficientCount == kFourthOrderCoefficients;
}

BandLanes::BandLanes(const LaneKernelSet& kernels,
                     const std::array<IirFilter*, kLaneBands>& filters,
                     const std::array<const IirFilter*, kLaneBands>& incoming, int32_t channels,
                     int32_t blockSize)
    : kernels_(channels == 1 ? kernels.mono : kernels.stereo),
      filters_(filters),
      incomingFilters_(incoming),
      channels_(channels),
      lanes_(channels * kLaneBands),
      blockSize_(blockSize),
      state_(std::make_unique<LaneFilterState>()),
      incoming_(std::make_unique<LaneFilterState>()),
      rows_(static_cast<size_t>(blockSize) * static_cast<size_t>(lanes_)),
      incomingRows_(static_cast<size_t>(blockSize) * static_cast<size_t>(lanes_)) {}

std::array<const float*, kMaxLaneChannels> BandLanes::inputAt(const float* const* in,
                                                              int32_t offset) const {
    std::array<const float*, kMaxLaneChannels> at{};
    for (int32_t ch = 0; ch < channels_; ++ch)
        at[ch] = in[ch] + offset;
    return at;
}

// Every lane runs: the lanes of the other bands start as copies of the running ones and get
// their histories back after the run.
void BandLanes::startIncoming(uint32_t bands, const float* const* recent, int32_t frames) {
    static const LaneFilterState kSilence{};
    takeFilterChanges();
    *incoming_ = *state_;
    for (int32_t band = 0; band < kLaneBands; ++band) {
        if ((bands >> band & 1u) == 0) continue;
        loadCoefficients(*incoming_, *incomingFilters_[band], band);
        copyHistories(kSilence, *incoming_, band);
    }
    for (int32_t done = 0; done < frames; done += blockSize_) {
        kernels_.filter(*incoming_, inputAt(recent, done).data(), incomingRows_.get(),
                        std::min(blockSize_, frames - done));
    }
    for (int32_t band = 0; band < kLaneBands; ++band) {
        if ((bands >> band & 1u) == 0) copyHistories(*state_, *incoming_, band);
    }
}

void BandLanes::filterRunning(const float* const* in, int32_t offset, int32_t frames) {
    takeFilterChanges();
    kernels_.filter(*state_, inputAt(in, offset).data(), rowsAt(offset), frames);
}

namespace {

// Moves the lanes marked fading towards the incoming rows, four lanes to a vector: a bitwise
// choice keeps the other lanes' rows exactly (blending could turn their infinities into NaN).
// The same operations as glideBetween, in the same order.
template <int32_t kLanes>
void blendFadingLanes(float* rows, const float* incoming, const float* weights, int32_t frames,
                      const std::array<bool, kMaxLanes>& fading) {
    constexpr int32_t kWidth = 4;
    constexpr int32_t kVectors = kLanes / kWidth;
    __m128 masks[kVectors];
    for (int32_t v = 0; v < kVectors; ++v) {
        const auto bits = [&](int32_t lane) { return fading[v * kWidth + lane] ? -1 : 0; };
        masks[v] = _mm_castsi128_ps(_mm_set_epi32(bits(3), bits(2), bits(1), bits(0)));
    }
    for (int32_t n = 0; n < frames; ++n, rows += kLanes, incoming += kLanes) {
        const __m128 weight = _mm_set1_ps(weights[n]);
        for (int32_t v = 0; v < kVectors; ++v) {
            const __m128 from = _mm_loadu_ps(rows + v * kWidth);
            const __m128 to = _mm_loadu_ps(incoming + v * kWidth);
            const __m128 blended = _mm_add_ps(from, _mm_mul_ps(_mm_sub_ps(to, from), weight));
            _mm_storeu_ps(rows + v * kWidth,
                          _mm_or_ps(_mm_and_ps(masks[v], blended), _mm_andnot_ps(masks[v], from)));
        }
    }
}

}  // namespace

// The other bands' lanes run the same recursion on the same histories, and are left as they are.
void BandLanes::blendIncoming(uint32_t bands, const float* const* in, int32_t frames,
                              const float* weights) {
    kernels_.filter(*incoming_, in, incomingRows_.get(), frames);
    std::array<bool, kMaxLanes> fading{};
    for (int32_t lane = 0; lane < lanes_; ++lane)
        fading[lane] = (bands >> (lane % kLaneBands) & 1u) != 0;
    if (lanes_ == kMaxLanes) {
        blendFadingLanes<kMaxLanes>(rows_.get(), incomingRows_.get(), weights, frames, fading);
    } else {
        blendFadingLanes<kLaneBands>(rows_.get(), incomingRows_.get(), weights, frames, fading);
    }
}

// The filters take the new designs, which the lanes then load again, unchanged; the histories
// stay the lanes' own.
void BandLanes::commitIncoming(uint32_t bands) {
    for (int32_t band = 0; band < kLaneBands; ++band) {
        if ((bands >> band & 1u) == 0) continue;
        loadCoefficients(*state_, *incomingFilters_[band], band);
        copyHistories(*incoming_, *state_, band);
        filters_[band]->copyDesign(*incomingFilters_[band]);
    }
}

BandLanes::~BandLanes() {
    storeHistories();
}

bool BandLanes::shape(const std::array<float, kLaneBands>& drive,
                      const std::array<float, kLaneBands>& level, const float* segments,
                      const SmoothCurve* smooth, float* rows, int32_t frames) {
    const LaneShaping shaping = laneShaping(drive, level, segments, smooth);
    const auto kernel = smooth != nullptr ? kernels_.shapeSmoothly : kernels_.shape;
    return kernel(shaping, rows, frames * lanes_);
}

bool BandLanes::shapeAntialiased(const std::array<float, kLaneBands>& drive,
                                 const std::array<float, kLaneBands>& level,
                                 const ShapeAntiderivatives& curve, double compensation,
                                 float* history, float* rows, int32_t frames) {
    const LaneAntialiasing antialiasing{&curve, compensation, history};
    return kernels_.shapeAntialiased(laneShaping(drive, level, nullptr, nullptr), antialiasing,
                                     rows, frames * lanes_);
}

LaneShaping BandLanes::laneShaping(const std::array<float, kLaneBands>& drive,
                                   const std::array<float, kLaneBands>& level,
                                   const float* segments, const SmoothCurve* smooth) const {
    LaneShaping shaping;
    for (int32_t lane = 0; lane < lanes_; ++lane) {
        shaping.drive[lane] = drive[lane % kLaneBands];
        shaping.level[lane] = level[lane % kLaneBands];
    }
    shaping.segments = segments;
    shaping.smooth = smooth;
    return shaping;
}

void BandLanes::sum(float* const* out, int32_t frames, int32_t soloBand) {
    sum(rows_.get(), out, frames, soloBand);
}

void BandLanes::sum(const float* rows, float* const* out, int32_t frames, int32_t soloBand) {
    kernels_.sum(rows, out, frames, soloBand);
}

namespace {

// Lane by lane first, in vectors of four lanes, so that the loop stays free of the band
// bookkeeping. Even and odd rows sum their squares apart, so each addition waits only on the one
// two rows back. A magnitude that is not a number leaves the peak as it is.
template <int32_t Lanes>
void measureRows(const float* row, int32_t frames, std::array<float, kMaxLanes>& peak,
                 std::array<float, kMaxLanes>& squares) {
    constexpr int32_t kWidth = 4;
    constexpr int32_t kVectors = Lanes / kWidth;
    const __m128 signBit = _mm_set1_ps(-0.0f);
    __m128 top[kVectors];
    __m128 even[kVectors];
    __m128 odd[kVectors];
    for (int32_t v = 0; v < kVectors; ++v)
        top[v] = even[v] = odd[v] = _mm_setzero_ps();
    const auto add = [&](__m128& sum, int32_t v, __m128 x) {
        top[v] = _mm_max_ps(_mm_andnot_ps(signBit, x), top[v]);
        sum = _mm_add_ps(sum, _mm_mul_ps(x, x));
    };
    int32_t n = 0;
    for (; n + 2 <= frames; n += 2, row += 2 * Lanes) {
        for (int32_t v = 0; v < kVectors; ++v) {
            add(even[v], v, _mm_loadu_ps(row + v * kWidth));
            add(odd[v], v, _mm_loadu_ps(row + Lanes + v * kWidth));
        }
    }
    for (; n < frames; ++n, row += Lanes) {
        for (int32_t v = 0; v < kVectors; ++v)
            add(even[v], v, _mm_loadu_ps(row + v * kWidth));
    }
    for (int32_t v = 0; v < kVectors; ++v) {
        alignas(16) float tops[kWidth];
        alignas(16) float sums[kWidth];
        _mm_store_ps(tops, top[v]);
        _mm_store_ps(sums, _mm_add_ps(even[v], odd[v]));
        for (int32_t j = 0; j < kWidth; ++j) {
            const size_t lane = static_cast<size_t>(v * kWidth + j);
            peak[lane] = std::max(peak[lane], tops[j]);
            squares[lane] += sums[j];
        }
    }
}

}  // namespace

void BandLanes::measure(int32_t frames, BandLevels& levels) const {
    measure(rows_.get(), frames, 1.0f, levels);
}

void BandLanes::measure(const float* rows, int32_t frames, float squareWeight,
                        BandLevels& levels) const {
    std::array<float, kMaxLanes> peak{};
    std::array<float, kMaxLanes> squares{};
    if (lanes_ == kMaxLanes) {
        measureRows<kMaxLanes>(rows, frames, peak, squares);
    } else {
        measureRows<kLaneBands>(rows, frames, peak, squares);
    }
    for (int32_t lane = 0; lane < lanes_; ++lane) {
        const size_t band = static_cast<size_t>(lane % kLaneBands);
        levels.peak[band] = std::max(levels.peak[band], peak[static_cast<size_t>(lane)]);
        levels.squares[band] += squares[static_cast<size_t>(lane)] * squareWeight;
    }
}

// Only what changed since the last block: in a steady stream the lanes already hold the filters'
// coefficients and carry the histories on themselves.
void BandLanes::takeFilterChanges() {
    for (int32_t band = 0; band < kLaneBands; ++band) {
        const IirFilter& filter = *filters_[band];
        FilterCounts& seen = seenCounts_[band];
        if (!loaded_ || seen.designs != filter.designCount())
            loadCoefficients(*state_, filter, band);
        if (!loaded_ || seen.resets != filter.resetCount()) loadHistories(*state_, filter, band);
        seen = {filter.designCount(), filter.resetCount()};
    }
    loaded_ = true;
}

void BandLanes::loadCoefficients(LaneFilterState& state, const IirFilter& filter,
                                 int32_t band) const {
    for (int32_t s = 0; s < kLaneSections; ++s) {
        LaneSection& section = state.section[s];
        const Coefficients& b = filter.numerators(s);
        const Coefficients& a = filter.denominators(s);
        for (int32_t ch = 0; ch < channels_; ++ch) {
            const int32_t lane = ch * kLaneBands + band;
            section.b0.lane[lane] = b[0];
            section.b2.lane[lane] = b[2];
            section.b4.lane[lane] = b[4];
            section.a1.lane[lane] = a[0];
            section.a2.lane[lane] = a[1];
            section.a3.lane[lane] = a[2];
            section.a4.lane[lane] = a[3];
        }
    }
}

void BandLanes::loadHistories(LaneFilterState& state, const IirFilter& filter, int32_t band) const {
    for (int32_t s = 0; s < kLaneSections; ++s) {
        LaneSection& section = state.section[s];
        for (int32_t ch = 0; ch < channels_; ++ch) {
            const int32_t lane = ch * kLaneBands + band;
            const Coefficients& x = filter.inputHistory(ch, s);
            const Coefficients& y = filter.outputHistory(ch, s);
            for (int32_t k = 0; k < kLaneHistory; ++k) {
                section.x[k].lane[lane] = x[k];
                section.y[k].lane[lane] = y[k];
            }
        }
    }
}

void BandLanes::copyHistories(const LaneFilterState& from, LaneFilterState& to,
                              int32_t band) const {
    for (int32_t s = 0; s < kLaneSections; ++s) {
        for (int32_t ch = 0; ch < channels_; ++ch) {
            const int32_t lane = ch * kLaneBands + band;
            for (int32_t k = 0; k < kLaneHistory; ++k) {
                to.section[s].x[k].lane[lane] = from.section[s].x[k].lane[lane];
                to.section[s].y[k].lane[lane] = from.section[s].y[k].lane[lane];
            }
        }
    }
}

void BandLanes::storeHistories() {
    if (!loaded_) return;
    for (int32_t band = 0; band < kLaneBands; ++band) {
        IirFilter& filter = *filters_[band];
        for (int32_t s = 0; s < kLaneSections; ++s) {
            const LaneSection& section = state_->section[s];
            for (int32_t ch = 0; ch < channels_; ++ch) {
                const int32_t lane = ch * kLaneBands + band;
                Coefficients& x = filter.inputHistory(ch, s);
                Coefficients& y = filter.outputHistory(ch, s);
                for (int32_t k = 0; k < kLaneHistory; ++k) {
                    x[k] = section.x[k].lane[lane];
                    y[k] = section.y[k].lane[lane];
                }
            }
        }
    }
}

}  // namespace marrowfold
