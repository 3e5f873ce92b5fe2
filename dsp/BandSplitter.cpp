#include "dsp/BandSplitter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "dsp/BlockMath.h"

namespace marrowfold {

namespace {

// The edge grid runs from 20 Hz to half the sample rate; fs / 40 is their ratio.
constexpr double kLowestEdgeHz = 20.0;
constexpr double kGridRatioPerHertz = 0.025;
constexpr double kHalf = 0.5;
// A redesign keeps edges below these fractions of the sample rate...
constexpr double kLowerEdgeLimit = 0.48;
constexpr double kUpperEdgeLimit = 0.49;
// ...and designs the lower edge 15 % above the stored one.
constexpr double kLowerEdgeFactor = 1.15;

// Edge j of count + 1 edges, evenly spaced on a log scale: 20 * (fs / 40)^(j / count).
double gridEdge(float sampleRate, int32_t j, int32_t count) {
    if (j == 0) return kLowestEdgeHz;
    if (j == count) return kHalf * sampleRate;
    const float ratio = static_cast<float>(kGridRatioPerHertz * sampleRate);
    const float exponent = static_cast<float>(j * std::log2(static_cast<double>(ratio)) / count);
    return std::pow(2.0, std::log2(kLowestEdgeHz) + exponent);
}

}  // namespace

BandSplitter::BandSplitter(int32_t sampleRate, int32_t channels, int32_t blockSize,
                           int32_t bandCount, int32_t filterOrder)
    : sampleRate_(static_cast<float>(sampleRate)),
      channelCount_(std::max(channels, 0)),
      bandCount_(std::max(bandCount, 1)),
      filterOrder_(filterOrder),
      blockSize_(std::max(blockSize, 1)),
      pieceIn_(static_cast<size_t>(channelCount_)),
      pieceOut_(static_cast<size_t>(channelCount_)) {
    const size_t channelCount = static_cast<size_t>(channelCount_);
    const size_t buffers = static_cast<size_t>(bandCount_) * channelCount;
    // A host's block size must not wrap the buffer size around on a 32-bit build.
    if (buffers != 0 && static_cast<size_t>(blockSize_) >
                            std::numeric_limits<size_t>::max() / sizeof(float) / buffers) {
        throw std::bad_alloc();
    }
    bandStorage_ = std::make_unique_for_overwrite<float[]>(buffers * blockSize_);
    channelBuffers_.resize(buffers);
    for (size_t i = 0; i < buffers; ++i)
        channelBuffers_[i] = &bandStorage_[i * blockSize_];
    for (int32_t b = 0; b < bandCount_; ++b) {
        bandBuffers_.push_back(channelBuffers_.data() + b * channelCount);
        const double lower = gridEdge(sampleRate_, b, bandCount_);
        const double upper = gridEdge(sampleRate_, b + 1, bandCount_);
        bandSpecs_.push_back({BandPass, lower, upper});
        bandFilters_.push_back(std::make_unique<IirFilter>(channelCount_, sampleRate_, BandPass,
                                                           static_cast<float>(lower),
                                                           static_cast<float>(upper), filterOrder));
    }
}

BandSplitter::~BandSplitter() = default;

void BandSplitter::reset() {
    for (auto& filter : bandFilters_)
        filter->reset();
}

void BandSplitter::process(float* const* in, float* const* out, int32_t frames) {
    if (frames <= blockSize_) {
        processPiece(in, out, std::max(frames, 0));
        return;
    }
    for (int32_t done = 0; done < frames;) {
        for (int32_t ch = 0; ch < channelCount_; ++ch) {
            pieceIn_[ch] = in[ch] + done;
            pieceOut_[ch] = out[ch] + done;
        }
        const int32_t piece = std::min(blockSize_, frames - done);
        processPiece(pieceIn_.data(), pieceOut_.data(), piece);
        done += piece;
    }
}

void BandSplitter::processPiece(float* const* in, float* const* out, int32_t frames) {
    filterBands(in, frames);
    shapeBands(bandBuffers_.data(), frames);
    sumBands(bandBuffers_.data(), out, frames);
}

void BandSplitter::filterBands(float* const* in, int32_t frames) {
    for (int32_t b = 0; b < bandCount_; ++b)
        bandFilters_[b]->process(in, bandBuffers_[b], frames);
}

void BandSplitter::sumBands(const float* const* const* bands, float* const* out,
                            int32_t frames) const {
    for (int32_t ch = 0; ch < channelCount_; ++ch) {
        if (soloActive_) {
            copyBlock(out[ch], bands[soloBand_][ch], frames);
            continue;
        }
        copyBlock(out[ch], bands[0][ch], frames);
        for (int32_t b = 1; b < bandCount_; ++b)
            addBlock(out[ch], bands[b][ch], frames);
    }
}

void BandSplitter::setBandEdge(int32_t k, float hz) {
    if (k == 0) {
        bandSpecs_[0].lower = hz;
        redesignBand(0);
    } else if (k == bandCount_) {
        bandSpecs_[bandCount_ - 1].upper = hz;
        redesignBand(bandCount_ - 1);
    } else if (k > 0 && k < bandCount_) {
        bandSpecs_[k - 1].upper = hz;
        bandSpecs_[k].lower = hz;
        redesignBand(k);
        redesignBand(k - 1);
    }
}

void BandSplitter::redesignBand(int32_t band) {
    BandSpec& edges = bandSpecs_[band];
    const double lowerLimit = kLowerEdgeLimit * sampleRate_;
    const double upperLimit = kUpperEdgeLimit * sampleRate_;
    const double lower = lowerLimit < edges.lower ? lowerLimit : edges.lower;
    const double upper = upperLimit < edges.upper ? upperLimit : edges.upper;
    IirFilter& filter = *bandFilters_[band];
    filter.design(edges.type, static_cast<float>(lower * kLowerEdgeFactor),
                  static_cast<float>(upper));
    filter.reset();
    edges.lower = lower;
    edges.upper = upper;
}

void BandSplitter::selectSoloBand(int32_t band) {
    soloBand_ = band;
    soloActive_ = band >= 0 && band < bandCount_;
}

}  // namespace marrowfold
