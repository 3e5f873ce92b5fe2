#include "dsp/OversampledShaping.h"

#include <algorithm>
#include <cstring>

namespace marrowfold {

namespace {

constexpr int32_t kOversampledChunk = OversampledShaping::kChunkRows;
// Rows (or samples) in front of every buffer a later stage reads, for its kept inputs; whole
// cache lines, so the rows after them stay aligned.
constexpr int32_t kUpRoom = 16;
constexpr int32_t kDownRoom = 32;
static_assert(kUpRoom >= kMaxFirUpHistory && kDownRoom >= kMaxFirDownHistory,
              "the room in front holds every stage's kept inputs");
constexpr int32_t kSumRoom = kDownRoom + kMaxOversamplingFactor;
constexpr int32_t kUpStretch = kUpRoom + kOversampledChunk;
constexpr int32_t kDownStretch = kDownRoom + kOversampledChunk / 2;

int32_t historyBlocks(int32_t lanes) {
    return (lanes + kMaxHalfbandLanes - 1) / kMaxHalfbandLanes;
}

size_t count(int32_t a, int32_t b) {
    return static_cast<size_t>(a) * static_cast<size_t>(b);
}

}  // namespace

OversampledShaping::OversampledShaping(int32_t channels, int32_t bandCount)
    : channels_(channels),
      bandCount_(bandCount),
      first_(firstStage()),
      later_(firStages()),
      upHistories_(static_cast<size_t>(historyBlocks(lanes()))),
      downHistories_(static_cast<size_t>(historyBlocks(channels))),
      upFirHistories_(count(kMaxOversamplingStages, upFirSpan())),
      downFirHistories_(count(kMaxOversamplingStages * channels, kMaxFirDownHistory)) {
    setRounding(ResamplingRounding::Separate);
    for (int32_t delay = 0; delay <= kMaxShapingDelay; ++delay) {
        for (int32_t s = 0; s <= kMaxOversamplingStages; ++s)
            paddings_[delay][s] = oversamplingPadding(1 << s, delay);
    }
    for (int32_t turn = 0; turn < 2; ++turn) {
        upBuffers_[turn] = AlignedFloats(count(kUpStretch, lanes()));
        // Band-major pointers into the lane-ordered stretches.
        for (int32_t band = 0; band < bandCount_; ++band) {
            for (int32_t ch = 0; ch < channels_; ++ch)
                bandChannels_[turn].push_back(upStretch(turn, ch * bandCount_ + band));
        }
        for (int32_t band = 0; band < bandCount_; ++band)
            bandPointers_[turn].push_back(bandChannels_[turn].data() + band * channels_);
        for (int32_t ch = 0; ch < channels_; ++ch)
            downBuffers_[turn].emplace_back(kDownStretch);
    }
    for (int32_t ch = 0; ch < channels_; ++ch) {
        sumStorage_.emplace_back(kSumRoom + kOversampledChunk);
        sums_.push_back(sumStorage_.back().get() + kSumRoom);
    }
    downFrom_.resize(static_cast<size_t>(channels_));
}

void OversampledShaping::setFactor(int32_t factor, int32_t shapingDelay) {
    factor_ = factor;
    stages_ = oversamplingStages(factor);
    padding_ = paddings_[shapingDelay][stages_];
    reset();
}

void OversampledShaping::setRounding(ResamplingRounding rounding) {
    reference_ = &referenceResampling(rounding);
    for (int32_t s = 1; s < kMaxOversamplingStages; ++s)
        referenceDown_[s] = reference_->downsampleFir;
}

void OversampledShaping::reset() {
    std::fill(upHistories_.begin(), upHistories_.end(), HalfbandHistory{});
    std::fill(downHistories_.begin(), downHistories_.end(), HalfbandHistory{});
    std::fill(upFirHistories_.begin(), upFirHistories_.end(), 0.0f);
    std::fill(downFirHistories_.begin(), downFirHistories_.end(), 0.0f);
    for (auto& storage : sumStorage_)
        std::fill_n(storage.get(), kSumRoom, 0.0f);
}

HalfbandHistory& OversampledShaping::upHistory(int32_t lane) {
    return upHistories_[lane / kMaxHalfbandLanes];
}

HalfbandHistory& OversampledShaping::downHistory(int32_t channel) {
    return downHistories_[channel / kMaxHalfbandLanes];
}

float* OversampledShaping::downFirHistory(int32_t stage, int32_t channel) {
    return downFirHistories_.data() + (stage * channels_ + channel) * kMaxFirDownHistory;
}

float* OversampledShaping::upRows(int32_t turn) const {
    return upBuffers_[turn].get() + kUpRoom * lanes();
}

float* OversampledShaping::upStretch(int32_t turn, int32_t lane) const {
    return upBuffers_[turn].get() + lane * kUpStretch + kUpRoom;
}

float* OversampledShaping::downStretch(int32_t turn, int32_t channel) const {
    return downBuffers_[turn][channel].get() + kDownRoom;
}

float* OversampledShaping::upsampleRows(const LaneKernels& kernels, const float* rows,
                                        int32_t frames) {
    float* to = upRows(0);
    kernels.upsample(first_, upHistory(0), rows, to, frames);
    for (int32_t s = 1; s < stages_; ++s) {
        float* from = to;
        to = upRows(s & 1);
        upsampleFirRows(kernels.upsampleFir[s], s, from, to, frames << s);
    }
    return to;
}

void OversampledShaping::upsampleFirRows(FirKernel kernel, int32_t stage, float* in, float* out,
                                         int32_t rows) {
    const int32_t kept = firUpHistory(later_[stage].taps) * lanes();
    float* history = upFirHistory(stage);
    std::copy_n(history, kept, in - kept);
    kernel(later_[stage], in, out, rows);
    std::copy_n(in + rows * lanes() - kept, kept, history);
}

float* const* const* OversampledShaping::upsampleBands(const float* const* const* bands,
                                                       int32_t offset, int32_t frames) {
    for (int32_t band = 0; band < bandCount_; ++band) {
        for (int32_t ch = 0; ch < channels_; ++ch) {
            const int32_t lane = ch * bandCount_ + band;
            float* to = upStretch(0, lane);
            reference_->upsample(first_, upHistory(lane), lane % kMaxHalfbandLanes,
                                 bands[band][ch] + offset, to, frames);
            for (int32_t s = 1; s < stages_; ++s) {
                float* from = to;
                to = upStretch(s & 1, lane);
                upsampleFirStretch(s, lane, from, to, frames << s);
            }
        }
    }
    return bandPointers_[(stages_ - 1) & 1].data();
}

// The kept inputs are stored as rows; one lane's are every lanes()-th of them.
void OversampledShaping::upsampleFirStretch(int32_t stage, int32_t lane, float* in, float* out,
                                            int32_t frames) {
    const int32_t kept = firUpHistory(later_[stage].taps);
    float* history = upFirHistory(stage) + lane;
    for (int32_t r = 0; r < kept; ++r)
        in[r - kept] = history[r * lanes()];
    reference_->upsampleFir(later_[stage], in, out, frames);
    for (int32_t r = 0; r < kept; ++r)
        history[r * lanes()] = in[frames - kept + r];
}

void OversampledShaping::downsample(const LaneKernels* kernels, float* const* out, int32_t offset,
                                    int32_t frames) {
    for (int32_t ch = 0; ch < channels_; ++ch)
        downFrom_[ch] = sums_[ch] - padding_;
    downsampleLaterStages(kernels ? kernels->downsampleFir : referenceDown_.data(), frames);
    if (kernels && channels_ <= kMaxVectorDownChannels) {
        std::array<float*, kMaxVectorDownChannels> to{};
        for (int32_t ch = 0; ch < channels_; ++ch)
            to[ch] = out[ch] + offset;
        kernels->downsample(first_, downHistory(0), channels_, downFrom_.data(), to.data(), frames);
    } else {
        for (int32_t ch = 0; ch < channels_; ++ch) {
            reference_->downsample(first_, downHistory(ch), ch % kMaxHalfbandLanes, downFrom_[ch],
                                   out[ch] + offset, frames);
        }
    }
    // The last padding_ sums wait for the next chunk.
    const int32_t oversampled = frames * factor_;
    for (int32_t ch = 0; ch < channels_; ++ch) {
        std::memmove(sums_[ch] - padding_, sums_[ch] + oversampled - padding_,
                     sizeof(float) * static_cast<size_t>(padding_));
    }
}

void OversampledShaping::downsampleLaterStages(const FirKernel* kernels, int32_t frames) {
    for (int32_t s = stages_ - 1; s >= 1; --s) {
        for (int32_t ch = 0; ch < channels_; ++ch) {
            float* to = downStretch(s & 1, ch);
            downsampleFirStage(kernels[s], s, ch, downFrom_[ch], to, frames << s);
            downFrom_[ch] = to;
        }
    }
}

void OversampledShaping::downsampleFirStage(FirKernel kernel, int32_t stage, int32_t channel,
                                            float* in, float* out, int32_t frames) {
    const int32_t kept = firDownHistory(later_[stage].taps);
    float* history = downFirHistory(stage, channel);
    std::copy_n(history, kept, in - kept);
    kernel(later_[stage], in, out, frames);
    std::copy_n(in + 2 * frames - kept, kept, history);
}

void OversampledShaping::clearRunaways() {
    clearRunawayHistories(upHistories_, lanes());
    clearRunawayHistories(downHistories_, channels_);
}

void OversampledShaping::clearRunawayHistories(std::vector<HalfbandHistory>& histories,
                                               int32_t lanes) {
    for (int32_t block = 0; block < historyBlocks(lanes); ++block) {
        const int32_t inBlock = std::min(kMaxHalfbandLanes, lanes - block * kMaxHalfbandLanes);
        clearRunawayLanes(histories[block], first_.sections, inBlock);
    }
}

}  // namespace marrowfold
