#pragma once

#include <complex>
#include <concepts>
#include <cstdint>
#include <vector>

namespace marrowfold {

// A real-input FFT of a power-of-two size N: the N/2 + 1 bins X[k] = sum x[n] e^(-2 pi i k n / N)
// for k = 0..N/2. It runs one complex radix-2 transform of N/2 points on the even and odd
// samples packed as z[n] = x[2n] + i x[2n+1], then separates the two halves:
// X[k] = (Z[k] + conj Z[N/2-k]) / 2 - i e^(-2 pi i k / N) (Z[k] - conj Z[N/2-k]) / 2.
// Construction allocates the twiddles and the work buffer; transform does not allocate.
class RealFft {
  public:
    // size: a power of two, at least 4.
    explicit RealFft(int32_t size);

    int32_t size() const { return size_; }
    int32_t binCount() const { return size_ / 2 + 1; }

    // input: size() samples; bins: binCount() values. Computed in double precision whatever the
    // sample type: float for the display, double for measurements far below full scale.
    template <std::floating_point Sample>
    void transform(const Sample* input, std::complex<Sample>* bins);

  private:
    void complexTransform();

    int32_t size_;
    int32_t half_;
    std::vector<int32_t> bitReversed_;
    std::vector<std::complex<double>> twiddles_;  // e^(-2 pi i k / N), k = 0..N/2-1
    std::vector<std::complex<double>> work_;
};

// Defined here so that only the sample types a program uses are built into it.
template <std::floating_point Sample>
void RealFft::transform(const Sample* input, std::complex<Sample>* bins) {
    for (int32_t n = 0; n < half_; ++n) {
        work_[static_cast<size_t>(bitReversed_[static_cast<size_t>(n)])] = {input[2 * n],
                                                                            input[2 * n + 1]};
    }
    complexTransform();
    const std::complex<double> minusI{0.0, -1.0};
    for (int32_t k = 0; k <= half_; ++k) {
        const std::complex<double> zk = work_[static_cast<size_t>(k % half_)];
        const std::complex<double> zm = std::conj(work_[static_cast<size_t>((half_ - k) % half_)]);
        const std::complex<double> even = 0.5 * (zk + zm);
        const std::complex<double> odd = 0.5 * (zk - zm);
        const std::complex<double> w =
            k < half_ ? twiddles_[static_cast<size_t>(k)] : std::complex<double>{-1.0, 0.0};
        bins[k] = std::complex<Sample>(even + minusI * w * odd);
    }
}

}  // namespace marrowfold
