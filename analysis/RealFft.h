#pragma once

#include <complex>
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

    // input: size() samples; bins: binCount() values. Either precision computes in double; the
    // double one keeps what a measurement far below full scale needs.
    void transform(const float* input, std::complex<float>* bins);
    void transform(const double* input, std::complex<double>* bins);

  private:
    template <typename Sample>
    void transformSamples(const Sample* input, std::complex<Sample>* bins);
    void complexTransform();

    int32_t size_;
    int32_t half_;
    std::vector<int32_t> bitReversed_;
    std::vector<std::complex<double>> twiddles_;  // e^(-2 pi i k / N), k = 0..N/2-1
    std::vector<std::complex<double>> work_;
};

}  // namespace marrowfold
