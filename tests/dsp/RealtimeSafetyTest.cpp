// Processing is real-time safe on every kernel set: across many blocks with parameter changes,
// edge moves, solo and shape changes and clip publications, in both process modes, with and
// without an editor window taking its audio, it allocates nothing (the global allocation
// functions of this binary count) and makes no system call (a child process runs it under strict
// seccomp, which kills it at the first one).
#include <gtest/gtest.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "dsp/DspEngine.h"
#include "effect/AnalysisTap.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"
#include "params/PresetBankEdits.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(size_t size, size_t alignment) {
    if (counting.load()) allocations.fetch_add(1);
    const size_t rounded = (size + alignment - 1) / alignment * alignment;
    void* memory = alignment <= alignof(std::max_align_t) ? std::malloc(size ? size : 1)
                                                          : std::aligned_alloc(alignment, rounded);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

}  // namespace

void* operator new(size_t size) {
    return allocate(size, alignof(std::max_align_t));
}
void* operator new[](size_t size) {
    return allocate(size, alignof(std::max_align_t));
}
void* operator new(size_t size, std::align_val_t alignment) {
    return allocate(size, static_cast<size_t>(alignment));
}
void* operator new[](size_t size, std::align_val_t alignment) {
    return allocate(size, static_cast<size_t>(alignment));
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size, alignof(std::max_align_t));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, size_t, std::align_val_t) noexcept {
    std::free(memory);
}

namespace marrowfold {
namespace {

constexpr int32_t kBlock = 256;
constexpr int32_t kBlocks = 1500;

// An engine with its model and buffers, all made before the measurement starts. Tapped, the
// blocks go through the hand-over to an open editor window as the effect runs them, and the
// editor's side takes them out now and then, outside the measurement.
class Workload {
  public:
    Workload(KernelSet set, int32_t channels, bool tapped)
        : channels_(channels),
          tapped_(tapped),
          engine_(kBlock, channels, 44100.0, 0),
          buffers_(2 * channels, std::vector<float>(3 * kBlock)) {
        available_ = engine_.useKernelSet(set);
        for (auto& buffer : buffers_)
            pointers_.push_back(buffer.data());
        engine_.applyChanges(model_);
        tap_.open();
    }

    bool available() const { return available_; }

    // Every sixteenth block a change arrives, and the oversampling factor and the anti-aliasing
    // move on; the model, the factor and the anti-aliasing are written outside the measurement,
    // as the user-interface thread would, and taken inside it. Smoothing, the mix, bypass and
    // auto gain switch on and off, so gains glide, edges and preset switches crossfade, the dry
    // path mixes and crossfades, and auto gain measures, follows, holds and glides back too.
    void run(const std::atomic<bool>* measure) {
        for (int32_t block = 0; block < kBlocks; ++block) {
            if (block % 16 == 0) {
                change(block / 16);
                engine_.requestOversampling(1 << (block / 16 % (kMaxOversamplingStages + 1)));
                engine_.requestAntialiasing(block / 16 % 3 == 1);
                drainTap();
            }
            fill(block);
            if (measure != nullptr) counting.store(true);
            const int32_t step = block / 16;
            engine_.setSmoothing(step % 5 >= 2);
            engine_.setMix(step % 3 == 0 ? 0.5f : 1.0f, step % 5 == 1);
            engine_.setAutoGain(step % 6 < 4);
            engine_.applyChanges(model_);
            // Every fifth block is longer than the engine's and is processed in pieces.
            const int32_t frames = block % 5 == 4 ? 3 * kBlock - 7 : kBlock - block % 3;
            const OutputMode mode = block % 2 ? OutputMode::Accumulate : OutputMode::Replace;
            float** in = pointers_.data();
            float** out = pointers_.data() + channels_;
            if (tapped_) engine_.meterBandsInto(tap_.beginBlock(in, channels_, frames));
            engine_.process(in, out, frames, mode);
            if (tapped_) tap_.endBlock(mode == OutputMode::Replace ? out : in, channels_, frames);
            if (block % 7 == 0) engine_.publishClip(model_);
            if (measure != nullptr) counting.store(false);
        }
    }

  private:
    void drainTap() {
        while (tap_.takeSamples(taken_.data(), taken_.data() + kBlock, kBlock) > 0) {
        }
        BlockLevels levels[8];
        while (tap_.takeBlocks(levels, 8) > 0) {
        }
    }

    void change(int32_t step) {
        switch (step % 4) {
            case 0: {
                PresetRecord record{};
                for (int32_t k = 0; k < kEdgeCount; ++k)
                    record.bandEdge[k] = 30.0f * static_cast<float>((k + 1) * (step % 9 + 2));
                record.bandDrive[step % kBandCount] = 12.0f;
                record.recordTag = kRecordTag;
                model_.setData(ParamBank, &record, kPresetRecordSize, model_.currentPreset());
                model_.setValue(ParamModify, step % 3 == 0 ? kModifyAll : 4 + step % 5);
                break;
            }
            case 1:
                model_.setValue(ParamSolo, static_cast<float>(step % 6 - 1));
                break;
            case 2:
                model_.setValue(ParamShape, static_cast<float>(step % 5));
                break;
            default:
                model_.setValue(ParamIn, static_cast<float>(step % 30));
                model_.setValue(ParamBand2, -6.0f);
        }
    }

    void fill(int32_t block) {
        for (auto& buffer : buffers_) {
            for (size_t n = 0; n < buffer.size(); ++n)
                buffer[n] =
                    0.5f * static_cast<float>(((n * 7919 + block * 104729) % 2001)) / 1000.0f -
                    0.5f;
        }
    }

    int32_t channels_;
    bool tapped_;
    AnalysisTap tap_;
    std::vector<float> taken_ = std::vector<float>(2 * kBlock);
    DistortionParameters model_;
    DspEngine engine_;
    std::vector<std::vector<float>> buffers_;
    std::vector<float*> pointers_;
    bool available_ = false;
};

class RealtimeSafetyTest : public ::testing::TestWithParam<KernelSet> {};

TEST_P(RealtimeSafetyTest, ProcessingAllocatesNothing) {
    for (const bool tapped : {false, true}) {
        for (const int32_t channels : {1, 2}) {
            // The counting is live: building an engine does allocate.
            counting.store(true);
            Workload workload(GetParam(), channels, tapped);
            counting.store(false);
            ASSERT_GT(allocations.exchange(0), 0);
            if (!workload.available()) GTEST_SKIP() << "the processor lacks this set";

            workload.run(&counting);
            EXPECT_EQ(allocations.exchange(0), 0) << channels << " channel(s), tapped " << tapped;
        }
    }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Whether a process can enter strict seccomp here: an emulator of another architecture (qemu's
// user mode) cannot, as it makes system calls of its own for the program it runs.
bool strictSeccompWorks() {
    const pid_t child = fork();
    if (child == 0) {
        if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_STRICT) != 0) _exit(1);
        syscall(SYS_exit, 0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Strict seccomp allows read, write and exit alone; any other system call kills the process.
TEST_P(RealtimeSafetyTest, ProcessingMakesNoSystemCall) {
    if (kSanitized) GTEST_SKIP() << "sanitizer runtimes make system calls of their own";
    if (!strictSeccompWorks()) GTEST_SKIP() << "strict seccomp is not available to this process";
    for (const bool tapped : {false, true}) {
        for (const int32_t channels : {1, 2}) {
            Workload workload(GetParam(), channels, tapped);
            if (!workload.available()) GTEST_SKIP() << "the processor lacks this set";
            EXPECT_EXIT(
                {
                    workload.run(nullptr);  // once to touch every page the run uses
                    if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_STRICT) != 0) std::abort();
                    workload.run(nullptr);
                    syscall(SYS_exit, 0);
                },
                ::testing::ExitedWithCode(0), "")
                << channels << " channel(s), tapped " << tapped;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EverySet, RealtimeSafetyTest, ::testing::ValuesIn(kAllKernelSets),
                         [](const ::testing::TestParamInfo<KernelSet>& info) {
                             return std::string(kernelSetName(info.param));
                         });

}  // namespace
}  // namespace marrowfold
