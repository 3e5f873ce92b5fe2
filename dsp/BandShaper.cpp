#include "dsp/BandShaper.h"

#include <algorithm>
#include <cmath>

#include "dsp/GlideCurve.h"

namespace marrowfold {

namespace {

constexpr int32_t kInitialShape = 1;
constexpr double kDecibelsToExponent = 0.05;

// Nearest integer to a (0 <= a <= 254), ties to even, whatever rounding mode the host has set.
int32_t roundHalfEven(float a) {
    const int32_t whole = static_cast<int32_t>(a);
    const float fraction = a - static_cast<float>(whole);
    const bool up = fraction > 0.5f || (fraction == 0.5f && (whole & 1) != 0);
    return up ? whole + 1 : whole;
}

// Curve value at 0 <= a <= 1. The index is rounded, not truncated, so the weight lies in
// -0.5..0.5 and half of each interval is read from the line through the next pair of entries.
float lookup(const ShapeTable& table, float a) {
    const float position = a * kShapeLookupScale;
    const int32_t i = roundHalfEven(position);
    return table[i] + (table[i + 1] - table[i]) * (position - static_cast<float>(i));
}

// The odd transfer curve limited to -1..1; an undefined sample gives 0.
float shapeSample(const ShapeTable& table, float v, bool& clipped) {
    if (v >= 0.0f) {
        if (v > 1.0f) {
            clipped = true;
            return 1.0f;
        }
        return lookup(table, v);
    }
    if (v < 0.0f) {
        if (-v > 1.0f) {
            clipped = true;
            return -1.0f;
        }
        return -lookup(table, -v);
    }
    return 0.0f;
}

// A band's factors during a glide: each moves from its start to its end as the weight goes
// from 0 to 1.
struct GlidingFactors {
    float fromDrive;
    float toDrive;
    float fromLevel;
    float toLevel;
};

// Shapes frames samples spaced stride apart with factors that follow weights.
void shapeGliding(const ShapeTable& table, float* samples, int32_t stride, int32_t frames,
                  const GlidingFactors& factors, const float* weights, bool& clipped) {
    for (int32_t n = 0; n < frames; ++n) {
        const float drive = glideBetween(factors.fromDrive, factors.toDrive, weights[n]);
        const float level = glideBetween(factors.fromLevel, factors.toLevel, weights[n]);
        float& sample = samples[static_cast<ptrdiff_t>(n) * stride];
        sample = shapeSample(table, sample * drive, clipped) * level;
    }
}

}  // namespace

float decibelsToGain(float decibels) {
    return static_cast<float>(std::pow(10.0, decibels * kDecibelsToExponent));
}

BandShaper::BandShaper(int32_t sampleRate, int32_t channels, int32_t blockSize, int32_t bandCount,
                       int32_t filterOrder)
    : BandSplitter(sampleRate, channels, blockSize, bandCount, filterOrder),
      driveGains_(static_cast<size_t>(this->bandCount()), 1.0f),
      levelGains_(static_cast<size_t>(this->bandCount()), 1.0f),
      glide_(glideLength(sampleRate), 1.0f),
      glideFromDrive_(static_cast<size_t>(this->bandCount()), 1.0f),
      glideFromLevel_(static_cast<size_t>(this->bandCount()), 1.0f),
      glideWeights_(std::make_unique<float[]>(
          static_cast<size_t>(std::max(blockSize, OversampledShaping::kChunkRows)))),
      oversampled_(std::make_unique<OversampledShaping>(channelCount(), this->bandCount())) {
    setShape(kInitialShape);
    useKernelSet(fastestKernelSet());
}

BandShaper::~BandShaper() = default;

bool BandShaper::useKernelSet(KernelSet set, ResamplingRounding rounding) {
    if (rounding == ResamplingRounding::Fused && processorRounding() != rounding) return false;
    if (set == KernelSet::Reference) {
        lanes_.reset();
        restartEdgeFade();
        kernelSet_ = set;
        oversampled_->setRounding(rounding);
        return true;
    }
    const LaneKernelSet* kernels = laneKernelSet(set);
    const IirFilter& filter = bandFilter(0);
    if (kernels == nullptr || kernels->stereo.rounding != rounding ||
        !BandLanes::fits(bandCount(), channelCount(), filter.sectionCount(),
                         filter.coefficientCount())) {
        return false;
    }
    std::array<IirFilter*, kLaneBands> filters{};
    std::array<const IirFilter*, kLaneBands> incoming{};
    for (int32_t b = 0; b < kLaneBands; ++b) {
        filters[b] = &mutableBandFilter(b);
        incoming[b] = &incomingFilter(b);
    }
    lanes_ = std::make_unique<BandLanes>(*kernels, filters, incoming, channelCount(), blockSize());
    restartEdgeFade();
    kernelSet_ = set;
    oversampled_->setRounding(rounding);
    return true;
}

void BandShaper::storeLaneHistories() {
    if (lanes_) lanes_->storeHistories();
}

void BandShaper::processPiece(float* const* in, float* const* out, int32_t frames) {
    if (oversampled_->factor() > 1) {
        if (lanes_) {
            processOversampledLanes(in, out, frames);
        } else {
            processOversampledBands(in, out, frames);
        }
        return;
    }
    if (!lanes_) {
        BandSplitter::processPiece(in, out, frames);
        return;
    }
    std::array<float, kLaneBands> drive{};
    std::array<float, kLaneBands> level{};
    laneFactors(drive, level);
    filterMoving(*lanes_, in, frames);
    if (gliding()) {
        shapeRowsGliding(lanes_->rowsAt(0), frames);
    } else if (lanes_->shape(drive, level, shapeSegments_->data(), frames)) {
        clipFlag_ = 1.0f;
    }
    if (meter_) lanes_->measure(frames, *meter_);
    lanes_->sum(out, frames, soloActive() ? soloBand() : -1);
}

// The whole block is filtered at the sample rate first, so out may be in; the rest goes in chunks
// whose oversampled rows fit the resampling buffers.
void BandShaper::processOversampledLanes(float* const* in, float* const* out, int32_t frames) {
    std::array<float, kLaneBands> drive{};
    std::array<float, kLaneBands> level{};
    laneFactors(drive, level);
    filterMoving(*lanes_, in, frames);
    const int32_t factor = oversampled_->factor();
    const int32_t solo = soloActive() ? soloBand() : -1;
    const int32_t chunkFrames = oversampled_->chunkFrames();
    for (int32_t offset = 0; offset < frames; offset += chunkFrames) {
        const int32_t chunk = std::min(chunkFrames, frames - offset);
        float* rows = oversampled_->upsampleRows(lanes_->kernels(), lanes_->rowsAt(offset), chunk);
        if (gliding()) {
            shapeRowsGliding(rows, chunk * factor);
        } else if (lanes_->shape(drive, level, shapeSegments_->data(), rows, chunk * factor)) {
            clipFlag_ = 1.0f;
        }
        if (meter_) lanes_->measure(rows, chunk * factor, meterSquareWeight(), *meter_);
        lanes_->sum(rows, oversampled_->sums(), chunk * factor, solo);
        oversampled_->downsample(&lanes_->kernels(), out, offset, chunk);
    }
    oversampled_->clearRunaways();
}

void BandShaper::processOversampledBands(float* const* in, float* const* out, int32_t frames) {
    filterBands(in, frames);
    const int32_t factor = oversampled_->factor();
    const int32_t chunkFrames = oversampled_->chunkFrames();
    for (int32_t offset = 0; offset < frames; offset += chunkFrames) {
        const int32_t chunk = std::min(chunkFrames, frames - offset);
        float* const* const* bands = oversampled_->upsampleBands(bandBuffers(), offset, chunk);
        shapeBands(bands, chunk * factor);
        sumBands(bands, oversampled_->sums(), chunk * factor);
        oversampled_->downsample(nullptr, out, offset, chunk);
    }
    oversampled_->clearRunaways();
}

void BandShaper::laneFactors(std::array<float, kLaneBands>& drive,
                             std::array<float, kLaneBands>& level) const {
    for (int32_t b = 0; b < kLaneBands; ++b) {
        drive[b] = bandDrive(b);
        level[b] = bandLevel(b);
    }
}

void BandShaper::reset() {
    BandSplitter::reset();
    glide_.jumpTo(1.0f);
    oversampled_->reset();
}

bool BandShaper::setOversampling(int32_t factor) {
    if (!validOversamplingFactor(factor)) return false;
    oversampled_->setFactor(factor);
    return true;
}

void BandShaper::shapeBands(float* const* const* bands, int32_t frames) {
    const ShapeTable& table = *shapeTable_;
    bool clipped = false;
    if (gliding()) {
        const float* weights = advanceGlide(frames);
        for (int32_t b = 0; b < bandCount(); ++b) {
            const GlidingFactors factors{glideFromDrive_[b], bandDrive(b), glideFromLevel_[b],
                                         bandLevel(b)};
            for (int32_t ch = 0; ch < channelCount(); ++ch)
                shapeGliding(table, bands[b][ch], 1, frames, factors, weights, clipped);
        }
        if (clipped) clipFlag_ = 1.0f;
        return;
    }
    for (int32_t b = 0; b < bandCount(); ++b) {
        const float drive = bandDrive(b);
        const float level = bandLevel(b);
        for (int32_t ch = 0; ch < channelCount(); ++ch) {
            float* samples = bands[b][ch];
            for (int32_t n = 0; n < frames; ++n) {
                samples[n] = shapeSample(table, samples[n] * drive, clipped) * level;
            }
        }
    }
    if (clipped) clipFlag_ = 1.0f;
    if (meter_) measureBands(bands, frames);
}

// Band by band into a local sum first, so that the squares are weighted once.
void BandShaper::measureBands(const float* const* const* bands, int32_t frames) const {
    const int32_t metered = std::min(bandCount(), kBandCount);
    const float weight = meterSquareWeight();
    for (int32_t b = 0; b < metered; ++b) {
        BandLevels band;
        for (int32_t ch = 0; ch < channelCount(); ++ch) {
            for (int32_t n = 0; n < frames; ++n)
                band.add(0, bands[b][ch][n]);
        }
        const auto index = static_cast<size_t>(b);
        meter_->peak[index] = std::max(meter_->peak[index], band.peak[0]);
        meter_->squares[index] += band.squares[0] * weight;
    }
}

// Shaping at factor times the rate gives factor samples per frame: their sum of squares over
// factor is one over the base-rate frames that a block's mean divides by.
float BandShaper::meterSquareWeight() const {
    return 1.0f / static_cast<float>(oversampled_->factor());
}

void BandShaper::beginGlide() {
    if (!glidesDue()) return;
    // A glide under way continues from the factors it has reached.
    const float reached = glide_.weight();
    for (int32_t b = 0; b < bandCount(); ++b) {
        if (gliding()) {
            glideFromDrive_[b] = glideBetween(glideFromDrive_[b], bandDrive(b), reached);
            glideFromLevel_[b] = glideBetween(glideFromLevel_[b], bandLevel(b), reached);
        } else {
            glideFromDrive_[b] = bandDrive(b);
            glideFromLevel_[b] = bandLevel(b);
        }
    }
    glide_.start(0.0f, 1.0f);
}

const float* BandShaper::advanceGlide(int32_t frames) {
    glide_.fill(glideWeights_.get(), frames, 1.0 / oversampled_->factor());
    return glideWeights_.get();
}

void BandShaper::shapeRowsGliding(float* rows, int32_t frames) {
    const float* weights = advanceGlide(frames);
    const int32_t lanes = channelCount() * kLaneBands;
    bool clipped = false;
    for (int32_t lane = 0; lane < lanes; ++lane) {
        const int32_t b = lane % kLaneBands;
        const GlidingFactors factors{glideFromDrive_[b], bandDrive(b), glideFromLevel_[b],
                                     bandLevel(b)};
        shapeGliding(*shapeTable_, rows + lane, lanes, frames, factors, weights, clipped);
    }
    if (clipped) clipFlag_ = 1.0f;
}

void BandShaper::setShape(int32_t shape) {
    if (shape < 0 || shape >= kShapeCount) shape = 0;
    shapeTable_ = &shapeTable(shape);
    shapeSegments_ = &shapeSegments(shape);
    makeupGain_ = decibelsToGain(-(*shapeTable_)[kShapeMakeupEntry]);
}

void BandShaper::setInputGain(float decibels) {
    inputGain_ = decibelsToGain(decibels);
}

void BandShaper::setOutputGain(float decibels) {
    outputGain_ = decibelsToGain(decibels);
}

void BandShaper::setBandDrive(float decibels, int32_t band) {
    if (validBand(band)) driveGains_[band - 1] = decibelsToGain(decibels);
}

void BandShaper::setBandLevel(float decibels, int32_t band) {
    if (validBand(band)) levelGains_[band - 1] = decibelsToGain(decibels);
}

float BandShaper::takeClipFlag() {
    const float value = clipFlag_;
    clipFlag_ = 0.0f;
    return value;
}

bool BandShaper::validBand(int32_t band) const {
    return band >= 1 && band <= bandCount();
}

}  // namespace marrowfold
