#include "dsp/BandSplitter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "dsp/BlockMath.h"
#include "dsp/GlideCurve.h"

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
// The input kept for filters that start from silence before a crossfade. A preset switch runs
// the whole chain over all of it; an edge's incoming filter only over the last part, enough for
// the start of a band above 100 Hz to die away far below what the crossfade lets through (a
// block in which an edge moves then costs less than twice one in which nothing does).
constexpr double kKeptMilliseconds = 6.0;
constexpr double kEdgePrimingMilliseconds = 4.0;
constexpr double kMillisecondsPerSecond = 1000.0;
// Bands are named by bits in a crossfade; bands beyond the bits of a word move at once.
constexpr int32_t kFadingBands = 32;

int32_t samplesIn(double milliseconds, double sampleRate) {
    return static_cast<int32_t>(
        std::min(std::round(sampleRate * milliseconds / kMillisecondsPerSecond),
                 static_cast<double>(std::numeric_limits<int32_t>::max())));
}

bool inBands(uint32_t bands, int32_t band) {
    return band < kFadingBands && (bands >> band & 1u) != 0;
}

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
      pieceOut_(static_cast<size_t>(channelCount_)),
      offsetIn_(static_cast<size_t>(channelCount_)),
      offsetOut_(static_cast<size_t>(channelCount_)),
      edgeFade_(glideLength(sampleRate)),
      primingIn_(static_cast<size_t>(channelCount_)),
      edgePriming_(samplesIn(kEdgePrimingMilliseconds, sampleRate)),
      recent_(channelCount_, samplesIn(kKeptMilliseconds, sampleRate)) {
    const size_t channelCount = static_cast<size_t>(channelCount_);
    const size_t buffers = static_cast<size_t>(bandCount_) * channelCount;
    // A host's block size must not wrap the buffer size around on a 32-bit build.
    if (buffers != 0 && static_cast<size_t>(blockSize_) >
                            std::numeric_limits<size_t>::max() / sizeof(float) / buffers) {
        throw std::bad_alloc();
    }
    bandStorage_ = std::make_unique_for_overwrite<float[]>(buffers * blockSize_);
    incomingStorage_ = std::make_unique_for_overwrite<float[]>(buffers * blockSize_);
    channelBuffers_.resize(buffers);
    incomingBuffers_.resize(buffers);
    for (size_t i = 0; i < buffers; ++i) {
        channelBuffers_[i] = &bandStorage_[i * blockSize_];
        incomingBuffers_[i] = &incomingStorage_[i * blockSize_];
    }
    for (int32_t b = 0; b < bandCount_; ++b) {
        bandBuffers_.push_back(channelBuffers_.data() + b * channelCount);
        const double lower = gridEdge(sampleRate_, b, bandCount_);
        const double upper = gridEdge(sampleRate_, b + 1, bandCount_);
        bandSpecs_.push_back({BandPass, lower, upper});
        for (auto* filters : {&bandFilters_, &incomingFilters_}) {
            filters->push_back(std::make_unique<IirFilter>(channelCount_, sampleRate_, BandPass,
                                                           static_cast<float>(lower),
                                                           static_cast<float>(upper), filterOrder));
        }
    }
}

BandSplitter::~BandSplitter() = default;

void BandSplitter::reset() {
    for (auto& filter : bandFilters_)
        filter->reset();
    heard_ = false;
    edgeFade_.cancel();
    recent_.clear();
}

void BandSplitter::copyBands(const BandSplitter& other) {
    soloBand_ = other.soloBand_;
    soloActive_ = other.soloActive_;
    smoothing_ = other.smoothing_;
    std::copy(other.bandSpecs_.begin(), other.bandSpecs_.end(), bandSpecs_.begin());
    for (int32_t b = 0; b < bandCount_; ++b)
        designBand(b, *bandFilters_[b]);
    reset();
}

void BandSplitter::setSmoothing(bool on) {
    // Input kept before smoothing was off may not be followed by what came since.
    if (on && !smoothing_) recent_.clear();
    smoothing_ = on;
}

void BandSplitter::process(float* const* in, float* const* out, int32_t frames) {
    heard_ = true;
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
    const int32_t summed = summedBand();
    shapeBands(bandBuffers_.data(), frames);
    sumBands(bandBuffers_.data(), out, frames, summed);
}

void BandSplitter::filterBands(float* const* in, int32_t frames) {
    filterMoving(*this, in, frames);
}

// A crossfade that ends within the piece runs both filters only that far; the rest of the piece
// runs on the filters it moved to.
void BandSplitter::filterMoving(FadingFilters& filters, const float* const* in, int32_t frames) {
    if (const uint32_t bands = edgeFade_.startPending()) {
        for (int32_t b = 0; b < bandCount_; ++b) {
            if (inBands(bands, b)) designBand(b, *incomingFilters_[b]);
        }
        const int32_t priming = std::min(edgePriming_, recent_.held());
        pointAt(primingIn_, recent_.samples(), recent_.held() - priming);
        filters.startIncoming(bands, primingIn_.data(), priming);
    }
    int32_t faded = 0;
    if (const uint32_t bands = edgeFade_.fading()) {
        faded = edgeFade_.advance(frames);
        filters.filterRunning(in, 0, faded);
        filters.blendIncoming(bands, in, faded, edgeFade_.weights());
        if (edgeFade_.reachedEnd()) filters.commitIncoming(edgeFade_.finish());
    }
    if (faded < frames) filters.filterRunning(in, faded, frames - faded);
    if (smoothing_) recent_.remember(in, frames);
}

void BandSplitter::pointAt(std::vector<float*>& pointers, const float* const* channels,
                           int32_t offset) const {
    for (int32_t ch = 0; ch < channelCount_; ++ch)
        pointers[ch] = const_cast<float*>(channels[ch]) + offset;
}

void BandSplitter::startIncoming(uint32_t bands, const float* const* recent, int32_t frames) {
    for (int32_t b = 0; b < bandCount_; ++b) {
        if (!inBands(bands, b)) continue;
        IirFilter& filter = *incomingFilters_[b];
        filter.reset();
        for (int32_t done = 0; done < frames; done += blockSize_) {
            pointAt(offsetIn_, recent, done);
            filter.process(offsetIn_.data(), &incomingBuffers_[b * channelCount_],
                           std::min(blockSize_, frames - done));
        }
    }
}

void BandSplitter::filterRunning(const float* const* in, int32_t offset, int32_t frames) {
    pointAt(offsetIn_, in, offset);
    for (int32_t b = 0; b < bandCount_; ++b) {
        pointAt(offsetOut_, bandBuffers_[b], offset);
        bandFilters_[b]->process(offsetIn_.data(), offsetOut_.data(), frames);
    }
}

void BandSplitter::blendIncoming(uint32_t bands, const float* const* in, int32_t frames,
                                 const float* weights) {
    pointAt(offsetIn_, in, 0);
    for (int32_t b = 0; b < bandCount_; ++b) {
        if (!inBands(bands, b)) continue;
        float* const* incoming = &incomingBuffers_[b * channelCount_];
        incomingFilters_[b]->process(offsetIn_.data(), incoming, frames);
        for (int32_t ch = 0; ch < channelCount_; ++ch)
            blendBlock(bandBuffers_[b][ch], incoming[ch], weights, frames);
    }
}

void BandSplitter::commitIncoming(uint32_t bands) {
    for (int32_t b = 0; b < bandCount_; ++b) {
        if (!inBands(bands, b)) continue;
        bandFilters_[b]->copyDesign(*incomingFilters_[b]);
        bandFilters_[b]->copyHistories(*incomingFilters_[b]);
    }
}

void BandSplitter::sumBands(const float* const* const* bands, float* const* out, int32_t frames,
                            int32_t summed) const {
    for (int32_t ch = 0; ch < channelCount_; ++ch) {
        if (summed >= 0 && summed < bandCount_) {
            copyBlock(out[ch], bands[summed][ch], frames);
            continue;
        }
        copyBlock(out[ch], bands[0][ch], frames);
        for (int32_t b = 1; b < bandCount_; ++b)
            addBlock(out[ch], bands[b][ch], frames);
    }
}

void BandSplitter::setBandEdge(int32_t k, float hz) {
    if (k < 0 || k > bandCount_) return;
    // The band above the edge first, then the one below it.
    for (const int32_t band : {k, k - 1}) {
        if (band < 0 || band >= bandCount_) continue;
        BandSpec& edges = bandSpecs_[band];
        const BandSpec before = edges;
        (band == k ? edges.lower : edges.upper) = hz;
        limitEdges(band);
        if (glidesDue() && band < kFadingBands) {
            // A band whose edges stay where they are keeps its filter.
            if (before.lower == edges.lower && before.upper == edges.upper) continue;
            edgeFade_.request(1u << band);
        } else {
            // A crossfade this band was part of would end on edges it no longer has.
            if (band < kFadingBands) edgeFade_.drop(1u << band);
            designBand(band, *bandFilters_[band]);
            bandFilters_[band]->reset();
        }
    }
}

void BandSplitter::limitEdges(int32_t band) {
    BandSpec& edges = bandSpecs_[band];
    const double lowerLimit = kLowerEdgeLimit * sampleRate_;
    const double upperLimit = kUpperEdgeLimit * sampleRate_;
    edges.lower = lowerLimit < edges.lower ? lowerLimit : edges.lower;
    edges.upper = upperLimit < edges.upper ? upperLimit : edges.upper;
}

void BandSplitter::designBand(int32_t band, IirFilter& filter) const {
    const BandSpec& edges = bandSpecs_[band];
    filter.design(edges.type, static_cast<float>(edges.lower * kLowerEdgeFactor),
                  static_cast<float>(edges.upper));
}

void BandSplitter::selectSoloBand(int32_t band) {
    soloBand_ = band;
    soloActive_ = band >= 0 && band < bandCount_;
}

}  // namespace marrowfold
