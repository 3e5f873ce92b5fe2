#include "dsp/BandShaper.h"

#include <algorithm>
#include <cmath>

#include "dsp/BlockMath.h"
#include "dsp/GlideCurve.h"

namespace marrowfold {

namespace {

constexpr int32_t kInitialShape = 1;
// A glide that starts again between two curves goes on from the one with more weight.
constexpr float kNearerCurveWeight = 0.5f;
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

// Shapes frames samples with a band's factors.
void shapeSamples(const ShapeTable& table, float* samples, int32_t frames, float drive, float level,
                  bool& clipped) {
    const auto curveAt = [&table](float a) { return lookup(table, a); };
    for (int32_t n = 0; n < frames; ++n)
        samples[n] = limitedOddCurve(samples[n] * drive, clipped, curveAt) * level;
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
      glideTo_(static_cast<size_t>(std::max(blockSize, OversampledShaping::kChunkRows)) *
               static_cast<size_t>(std::max(channels, 1) * kLaneBands)),
      antialiasingHistory_(
          static_cast<size_t>(kAntialiasingHistory * channels * this->bandCount())),
      glidedFromHistory_(antialiasingHistory_.size()),
      oversampled_(std::make_unique<OversampledShaping>(channelCount(), this->bandCount())) {
    setShape(kInitialShape);
    glideFromCurves_ = curves_;
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
    filterMoving(*lanes_, in, frames);
    const int32_t summed = summedBand();
    shapeRows(lanes_->rowsAt(0), frames);
    if (meter_) lanes_->measure(frames, *meter_);
    lanes_->sum(out, frames, summed);
}

// The whole block is filtered at the sample rate first, so out may be in; the rest goes in chunks
// whose oversampled rows fit the resampling buffers.
void BandShaper::processOversampledLanes(float* const* in, float* const* out, int32_t frames) {
    filterMoving(*lanes_, in, frames);
    const int32_t factor = oversampled_->factor();
    const int32_t chunkFrames = oversampled_->chunkFrames();
    for (int32_t offset = 0; offset < frames; offset += chunkFrames) {
        const int32_t chunk = std::min(chunkFrames, frames - offset);
        float* rows = oversampled_->upsampleRows(lanes_->kernels(), lanes_->rowsAt(offset), chunk);
        const int32_t summed = summedBand();
        shapeRows(rows, chunk * factor);
        if (meter_) lanes_->measure(rows, chunk * factor, meterSquareWeight(), *meter_);
        lanes_->sum(rows, oversampled_->sums(), chunk * factor, summed);
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
        const int32_t summed = summedBand();
        shapeBands(bands, chunk * factor);
        sumBands(bands, oversampled_->sums(), chunk * factor, summed);
        oversampled_->downsample(nullptr, out, offset, chunk);
    }
    oversampled_->clearRunaways();
}

void BandShaper::reset() {
    BandSplitter::reset();
    glide_.jumpTo(1.0f);
    restartShaping(oversampled_->factor());
}

void BandShaper::copySettings(const BandShaper& other) {
    curves_ = other.curves_;
    makeupGain_ = other.makeupGain_;
    inputGain_ = other.inputGain_;
    outputGain_ = other.outputGain_;
    std::copy(other.driveGains_.begin(), other.driveGains_.end(), driveGains_.begin());
    std::copy(other.levelGains_.begin(), other.levelGains_.end(), levelGains_.begin());
    copyBands(other);
}

bool BandShaper::setOversampling(int32_t factor) {
    if (!validOversamplingFactor(factor)) return false;
    restartShaping(factor);
    return true;
}

void BandShaper::setAntialiasing(bool on) {
    if (on == antialiasing_) return;
    antialiasing_ = on;
    restartShaping(oversampled_->factor());
}

void BandShaper::restartShaping(int32_t factor) {
    oversampled_->setFactor(factor, antialiasing_ ? kAntialiasingDelay : 0);
    std::fill(antialiasingHistory_.begin(), antialiasingHistory_.end(), 0.0f);
}

double BandShaper::antialiasingCompensation() const {
    return kAntialiasingCompensation[oversamplingStages(oversampled_->factor())];
}

float* BandShaper::glidedFromHistory() {
    if (antialiasing_) {
        std::copy(antialiasingHistory_.begin(), antialiasingHistory_.end(),
                  glidedFromHistory_.begin());
    }
    return glidedFromHistory_.data();
}

// While a glide runs, each band and channel is shaped with the current setting aside and with the
// setting glided from in place, and crossfaded until the glide's end.
void BandShaper::shapeBands(float* const* const* bands, int32_t frames) {
    const bool glided = gliding();
    const int32_t fading = glided ? advanceGlide(frames) : 0;
    float* fromHistory = glided ? glidedFromHistory() : nullptr;
    bool clipped = false;
    for (int32_t b = 0; b < bandCount(); ++b) {
        for (int32_t ch = 0; ch < channelCount(); ++ch) {
            const int32_t lane = ch * bandCount() + b;
            float* samples = bands[b][ch];
            float* history = antialiasingHistory_.data() + lane;
            if (!glided) {
                const SampleShaping current{*curves_, history, bandDrive(b), bandLevel(b)};
                shapeBandSamples(current, samples, frames, clipped);
                continue;
            }
            float* to = glideTo_.get();
            copyBlock(to, samples, frames);
            const SampleShaping current{*curves_, history, bandDrive(b), glidingLevel(b)};
            shapeBandSamples(current, to, frames, clipped);
            const SampleShaping from{*glideFromCurves_, fromHistory + lane, glideFromDrive_[b],
                                     glideFromLevel_[b]};
            shapeBandSamples(from, samples, fading, clipped);
            blendBlock(samples, to, glideWeights_.get(), fading);
            copyBlock(samples + fading, to + fading, frames - fading);
        }
    }
    if (clipped) clipFlag_ = 1.0f;
    if (meter_) measureBands(bands, frames);
}

void BandShaper::shapeBandSamples(const SampleShaping& shaping, float* samples, int32_t frames,
                                  bool& clipped) const {
    if (!antialiasing_) {
        if (oversampled_->factor() > 1) {
            oversampled_->shapeSmoothly(*shaping.curves.smooth, samples, frames, shaping.drive,
                                        shaping.level, clipped);
        } else {
            shapeSamples(*shaping.curves.table, samples, frames, shaping.drive, shaping.level,
                         clipped);
        }
        return;
    }
    const int32_t lanes = channelCount() * bandCount();
    AntialiasedLane lane(*shaping.curves.antiderivatives, antialiasingCompensation(), shaping.drive,
                         shaping.history, lanes);
    for (int32_t n = 0; n < frames; ++n)
        samples[n] = static_cast<float>(lane.next(samples[n], clipped)) * shaping.level;
    lane.storeHistory(shaping.history, lanes);
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
    const bool underWay = gliding();
    const float reached = glide_.weight();
    for (int32_t b = 0; b < bandCount(); ++b) {
        const float drive = bandDrive(b);
        const float level = glidingLevel(b);
        glideFromDrive_[b] = underWay ? glideBetween(glideFromDrive_[b], drive, reached) : drive;
        glideFromLevel_[b] = underWay ? glideBetween(glideFromLevel_[b], level, reached) : level;
    }
    if (!underWay || reached >= kNearerCurveWeight) glideFromCurves_ = curves_;
    glide_.start(0.0f, 1.0f);
}

int32_t BandShaper::advanceGlide(int32_t frames) {
    const double step = 1.0 / oversampled_->factor();
    const int32_t count = glide_.stepsBeforeEnd(frames, step);
    glide_.fill(glideWeights_.get(), count, step);
    return count;
}

void BandShaper::shapeRows(float* rows, int32_t frames) {
    if (gliding()) {
        shapeRowsGliding(rows, frames);
        return;
    }
    std::array<float, kLaneBands> drive{};
    std::array<float, kLaneBands> level{};
    for (int32_t b = 0; b < kLaneBands; ++b) {
        drive[b] = bandDrive(b);
        level[b] = bandLevel(b);
    }
    if (shapeLaneRows(drive, level, *curves_, antialiasingHistory_.data(), rows, frames)) {
        clipFlag_ = 1.0f;
    }
}

bool BandShaper::shapeLaneRows(const std::array<float, kLaneBands>& drive,
                               const std::array<float, kLaneBands>& level,
                               const ShapeCurves& curves, float* history, float* rows,
                               int32_t frames) {
    if (!antialiasing_) {
        const SmoothCurve* smooth = oversampled_->factor() > 1 ? curves.smooth : nullptr;
        return lanes_->shape(drive, level, curves.segments->data(), smooth, rows, frames);
    }
    return lanes_->shapeAntialiased(drive, level, *curves.antiderivatives,
                                    antialiasingCompensation(), history, rows, frames);
}

// The rows are shaped with the current setting aside and with the setting glided from in place,
// each by the lane kernels, and crossfaded until the glide's end.
void BandShaper::shapeRowsGliding(float* rows, int32_t frames) {
    std::array<float, kLaneBands> fromDrive{};
    std::array<float, kLaneBands> fromLevel{};
    std::array<float, kLaneBands> drive{};
    std::array<float, kLaneBands> level{};
    for (int32_t b = 0; b < kLaneBands; ++b) {
        fromDrive[b] = glideFromDrive_[b];
        fromLevel[b] = glideFromLevel_[b];
        drive[b] = bandDrive(b);
        level[b] = glidingLevel(b);
    }
    const int32_t lanes = channelCount() * kLaneBands;
    const int32_t fading = advanceGlide(frames);
    float* fromHistory = glidedFromHistory();
    float* to = glideTo_.get();
    copyBlock(to, rows, frames * lanes);
    const bool toClipped =
        shapeLaneRows(drive, level, *curves_, antialiasingHistory_.data(), to, frames);
    const bool fromClipped =
        shapeLaneRows(fromDrive, fromLevel, *glideFromCurves_, fromHistory, rows, fading);
    if (fromClipped || toClipped) clipFlag_ = 1.0f;
    blendRows(rows, to, glideWeights_.get(), fading, lanes);
    copyBlock(rows + fading * lanes, to + fading * lanes, (frames - fading) * lanes);
}

void BandShaper::setShape(int32_t shape) {
    if (shape < 0 || shape >= kShapeCount) shape = 0;
    curves_ = &shapeCurves(shape);
    makeupGain_ = decibelsToGain(-(*curves_->table)[kShapeMakeupEntry]);
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
