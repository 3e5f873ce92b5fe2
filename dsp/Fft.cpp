#include "dsp/Fft.h"

#include <numbers>
#include <utility>

namespace marrowfold {

void fft(std::vector<Complex>& data) {
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1)
            j ^= bit;
        j |= bit;
        if (i < j) std::swap(data[i], data[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const Complex step = std::polar(1.0, -2.0 * std::numbers::pi / static_cast<double>(length));
        for (size_t start = 0; start < n; start += length) {
            Complex twiddle = 1.0;
            for (size_t k = 0; k < length / 2; ++k) {
                const Complex odd = data[start + k + length / 2] * twiddle;
                data[start + k + length / 2] = data[start + k] - odd;
                data[start + k] += odd;
                twiddle *= step;
            }
        }
    }
}

}  // namespace marrowfold
