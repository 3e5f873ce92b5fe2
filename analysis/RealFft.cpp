#include "analysis/RealFft.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace marrowfold {

namespace {

constexpr int32_t kMinimumSize = 4;

bool isPowerOfTwo(int32_t n) {
    return n > 0 && (n & (n - 1)) == 0;
}

int32_t reverseBits(int32_t value, int32_t bits) {
    int32_t reversed = 0;
    for (int32_t b = 0; b < bits; ++b) {
        reversed = (reversed << 1) | (value & 1);
        value >>= 1;
    }
    return reversed;
}

int32_t checkedSize(int32_t size) {
    if (size < kMinimumSize || !isPowerOfTwo(size)) {
        throw std::invalid_argument("FFT size must be a power of two of at least 4");
    }
    return size;
}

}  // namespace

RealFft::RealFft(int32_t size)
    : size_(checkedSize(size)),
      half_(size / 2),
      bitReversed_(static_cast<size_t>(half_)),
      twiddles_(static_cast<size_t>(half_)),
      work_(static_cast<size_t>(half_)) {
    const int32_t bits = static_cast<int32_t>(std::log2(half_));
    for (int32_t i = 0; i < half_; ++i)
        bitReversed_[static_cast<size_t>(i)] = reverseBits(i, bits);
    for (int32_t k = 0; k < half_; ++k) {
        const double angle = -2.0 * std::numbers::pi * k / size_;
        twiddles_[static_cast<size_t>(k)] = {std::cos(angle), std::sin(angle)};
    }
}

// Iterative decimation in time over the N/2 packed points. The twiddle of a stage with spans of
// length len is e^(-2 pi i j / len), which is twiddles_[2 j N/2 / len] of the N-point table.
void RealFft::complexTransform() {
    for (int32_t len = 2; len <= half_; len <<= 1) {
        const int32_t stride = 2 * half_ / len;
        for (int32_t start = 0; start < half_; start += len) {
            for (int32_t j = 0; j < len / 2; ++j) {
                const std::complex<double> w = twiddles_[static_cast<size_t>(j * stride)];
                std::complex<double>& a = work_[static_cast<size_t>(start + j)];
                std::complex<double>& b = work_[static_cast<size_t>(start + j + len / 2)];
                const std::complex<double> t = w * b;
                b = a - t;
                a = a + t;
            }
        }
    }
}

}  // namespace marrowfold
