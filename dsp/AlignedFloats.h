#pragma once

#include <cstddef>
#include <memory>

namespace marrowfold {

// A zeroed buffer of floats that starts on a cache line, so that vector loads and stores as wide
// as a line never straddle two (plain new only promises 16 bytes). Allocates on construction.
class AlignedFloats {
  public:
    AlignedFloats() = default;
    explicit AlignedFloats(size_t count)
        : lines_(std::make_unique<Line[]>((count + kPerLine - 1) / kPerLine)) {}

    float* get() const { return reinterpret_cast<float*>(lines_.get()); }

  private:
    static constexpr size_t kLineBytes = 64;
    static constexpr size_t kPerLine = kLineBytes / sizeof(float);
    struct alignas(kLineBytes) Line {
        float value[kPerLine];
    };
    std::unique_ptr<Line[]> lines_;
};

}  // namespace marrowfold
