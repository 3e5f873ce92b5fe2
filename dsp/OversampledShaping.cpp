#include "dsp/OversampledShaping.h"

#include <algorithm>
#include <cstring>

namespace marrowfold {

namespace {

constexpr int32_t kOversampledChunk = OversampledShaping::kChunkFrames * kMaxOversamplingFactor;

int32_t historyBlocks(int32_t lanes) {
    return (lanes + kMaxHalfbandLanes - 1) / kMaxHalfbandLanes;
}

}  // namespace

OversampledShaping::OversampledShaping(int32_t channels, int32_t bandCount)
    : channels_(channels),
      bandCount_(bandCount),
      design_(halfbandStages()),
      upHistories_(static_cast<size_t>(kMaxOversamplingStages * historyBlocks(lanes()))),
      downHistories_(static_cast<size_t>(kMaxOversamplingStages * historyBlocks(channels))) {
    for (int32_t s = 0; s <= kMaxOversamplingStages; ++s)
        paddings_[s] = oversamplingPadding(1 << s);
    const size_t laneSamples = static_cast<size_t>(kOversampledChunk);
    for (int32_t turn = 0; turn < 2; ++turn) {
        upBuffers_[turn] = std::make_unique<float[]>(laneSamples * lanes());
        // Band-major pointers into the lane-ordered stretches.
        for (int32_t band = 0; band < bandCount_; ++band) {
            for (int32_t ch = 0; ch < channels_; ++ch) {
                const size_t lane = static_cast<size_t>(ch * bandCount_ + band);
                bandChannels_[turn].push_back(upBuffers_[turn].get() + lane * laneSamples);
            }
        }
        for (int32_t band = 0; band < bandCount_; ++band)
            bandPointers_[turn].push_back(bandChannels_[turn].data() + band * channels_);
        for (int32_t ch = 0; ch < channels_; ++ch)
            downBuffers_[turn].push_back(std::make_unique<float[]>(laneSamples / 2));
    }
    for (int32_t ch = 0; ch < channels_; ++ch) {
        sumStorage_.push_back(std::make_unique<float[]>(kMaxOversamplingFactor + laneSamples));
        sums_.push_back(sumStorage_.back().get() + kMaxOversamplingFactor);
    }
}

void OversampledShaping::setFactor(int32_t factor) {
    factor_ = factor;
    stages_ = oversamplingStages(factor);
    padding_ = paddings_[stages_];
    reset();
}

void OversampledShaping::reset() {
    std::fill(upHistories_.begin(), upHistories_.end(), HalfbandLanes{});
    std::fill(downHistories_.begin(), downHistories_.end(), HalfbandLanes{});
    for (auto& storage : sumStorage_)
        std::fill_n(storage.get(), kMaxOversamplingFactor, 0.0f);
}

HalfbandLanes& OversampledShaping::upHistory(int32_t stage, int32_t lane) {
    return upHistories_[stage * historyBlocks(lanes()) + lane / kMaxHalfbandLanes];
}

HalfbandLanes& OversampledShaping::downHistory(int32_t stage, int32_t channel) {
    return downHistories_[stage * historyBlocks(channels_) + channel / kMaxHalfbandLanes];
}

float* OversampledShaping::upsampleRows(const LaneKernels& kernels, const float* rows,
                                        int32_t frames) {
    const float* from = rows;
    float* to = nullptr;
    for (int32_t s = 0; s < stages_; ++s) {
        to = upBuffers_[s & 1].get();
        kernels.upsample[s](design_[s], upHistory(s, 0), from, to, frames << s);
        from = to;
    }
    settleHistories(upHistories_, lanes());
    return to;
}

float* const* const* OversampledShaping::upsampleBands(const float* const* const* bands,
                                                       int32_t offset, int32_t frames) {
    for (int32_t band = 0; band < bandCount_; ++band) {
        for (int32_t ch = 0; ch < channels_; ++ch) {
            const int32_t lane = ch * bandCount_ + band;
            const float* from = bands[band][ch] + offset;
            for (int32_t s = 0; s < stages_; ++s) {
                float* to = bandChannels_[s & 1][band * channels_ + ch];
                upsampleLane(design_[s], upHistory(s, lane), lane % kMaxHalfbandLanes, from, to,
                             frames << s);
                from = to;
            }
        }
    }
    settleHistories(upHistories_, lanes());
    return bandPointers_[(stages_ - 1) & 1].data();
}

void OversampledShaping::downsample(float* const* out, int32_t offset, int32_t frames,
                                    bool vectors) {
    if (vectors && channels_ <= kMaxVectorDownChannels) {
        downsampleBothChannels(out, offset, frames);
    } else {
        downsampleEachChannel(out, offset, frames);
    }
    settleHistories(downHistories_, channels_);
    // The last padding_ sums wait for the next chunk.
    const int32_t oversampled = frames * factor_;
    for (int32_t ch = 0; ch < channels_; ++ch) {
        std::memmove(sums_[ch] - padding_, sums_[ch] + oversampled - padding_,
                     sizeof(float) * static_cast<size_t>(padding_));
    }
}

void OversampledShaping::settleHistories(std::vector<HalfbandLanes>& histories, int32_t lanes) {
    const int32_t blocks = historyBlocks(lanes);
    for (int32_t s = 0; s < stages_; ++s) {
        for (int32_t block = 0; block < blocks; ++block) {
            const int32_t inBlock = std::min(kMaxHalfbandLanes, lanes - block * kMaxHalfbandLanes);
            settleHalfbandHistory(histories[s * blocks + block], design_[s].sections, inBlock);
        }
    }
}

void OversampledShaping::downsampleEachChannel(float* const* out, int32_t offset, int32_t frames) {
    for (int32_t ch = 0; ch < channels_; ++ch) {
        const float* from = sums_[ch] - padding_;
        for (int32_t s = stages_ - 1; s >= 0; --s) {
            float* to = s == 0 ? out[ch] + offset : downBuffers_[s & 1][ch].get();
            downsampleLane(design_[s], downHistory(s, ch), ch % kMaxHalfbandLanes, from, to,
                           frames << s);
            from = to;
        }
    }
}

void OversampledShaping::downsampleBothChannels(float* const* out, int32_t offset, int32_t frames) {
    std::array<const float*, kMaxVectorDownChannels> from{};
    std::array<float*, kMaxVectorDownChannels> to{};
    for (int32_t ch = 0; ch < channels_; ++ch)
        from[ch] = sums_[ch] - padding_;
    for (int32_t s = stages_ - 1; s >= 0; --s) {
        for (int32_t ch = 0; ch < channels_; ++ch)
            to[ch] = s == 0 ? out[ch] + offset : downBuffers_[s & 1][ch].get();
        downsampleChannels(s, downHistory(s, 0), channels_, from.data(), to.data(), frames << s);
        for (int32_t ch = 0; ch < channels_; ++ch)
            from[ch] = to[ch];
    }
}

}  // namespace marrowfold
