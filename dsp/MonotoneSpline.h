#pragma once

#include <array>
#include <cstddef>

namespace marrowfold {

// Smooth monotone interpolation through points (x[k], y[k]), x strictly increasing and y
// non-decreasing: a cubic Hermite curve whose tangents are those of the natural cubic spline
// (so it is twice differentiable wherever no limit applies), limited after Fritsch and Carlson
// so that no interval overshoots: the tangents of a flat interval are 0, and no tangent exceeds
// three times the slope of an interval it bounds. Usable at compile time.
template <size_t N>
class MonotoneSpline {
    static_assert(N >= 2);

  public:
    constexpr MonotoneSpline(const std::array<double, N>& x, const std::array<double, N>& y)
        : x_(x), y_(y) {
        std::array<double, N - 1> width{};
        std::array<double, N - 1> secant{};
        for (size_t k = 0; k + 1 < N; ++k) {
            width[k] = x[k + 1] - x[k];
            secant[k] = (y[k + 1] - y[k]) / width[k];
        }
        splineTangents(width, secant);
        limitTangents(secant);
    }

    // Value at position at, clamped to the first and last point.
    constexpr double operator()(double at) const {
        if (at <= x_[0]) return y_[0];
        if (at >= x_[N - 1]) return y_[N - 1];
        size_t k = 0;
        while (x_[k + 1] <= at)
            ++k;
        const double width = x_[k + 1] - x_[k];
        const double t = (at - x_[k]) / width;
        const double t2 = t * t;
        const double t3 = t2 * t;
        return y_[k] + (3.0 * t2 - 2.0 * t3) * (y_[k + 1] - y_[k]) +
               width * ((t3 - 2.0 * t2 + t) * tangent_[k] + (t3 - t2) * tangent_[k + 1]);
    }

    // Interval k (from x[k] to x[k + 1]) as a0 + a1 u + a2 u^2 + a3 u^3 in its own unit
    // coordinate u = (at - x[k]) / (x[k + 1] - x[k]): the same cubic that operator() evaluates.
    constexpr std::array<double, 4> interval(size_t k) const {
        const double width = x_[k + 1] - x_[k];
        const double rise = y_[k + 1] - y_[k];
        const double start = width * tangent_[k];
        const double end = width * tangent_[k + 1];
        return {y_[k], start, 3.0 * rise - 2.0 * start - end, start + end - 2.0 * rise};
    }

  private:
    // Solves the tridiagonal system of the natural spline for the tangents:
    //   width[k] m[k-1] + 2 (width[k-1] + width[k]) m[k] + width[k-1] m[k+1]
    //     = 3 (width[k] secant[k-1] + width[k-1] secant[k]),
    // with 2 m[0] + m[1] = 3 secant[0] and m[N-2] + 2 m[N-1] = 3 secant[N-2] at the ends.
    constexpr void splineTangents(const std::array<double, N - 1>& width,
                                  const std::array<double, N - 1>& secant) {
        std::array<double, N> lower{};
        std::array<double, N> diagonal{};
        std::array<double, N> upper{};
        std::array<double, N> rhs{};
        diagonal[0] = 2.0;
        upper[0] = 1.0;
        rhs[0] = 3.0 * secant[0];
        for (size_t k = 1; k + 1 < N; ++k) {
            lower[k] = width[k];
            diagonal[k] = 2.0 * (width[k - 1] + width[k]);
            upper[k] = width[k - 1];
            rhs[k] = 3.0 * (width[k] * secant[k - 1] + width[k - 1] * secant[k]);
        }
        lower[N - 1] = 1.0;
        diagonal[N - 1] = 2.0;
        rhs[N - 1] = 3.0 * secant[N - 2];
        for (size_t k = 1; k < N; ++k) {
            const double factor = lower[k] / diagonal[k - 1];
            diagonal[k] -= factor * upper[k - 1];
            rhs[k] -= factor * rhs[k - 1];
        }
        tangent_[N - 1] = rhs[N - 1] / diagonal[N - 1];
        for (size_t k = N - 1; k-- > 0;) {
            tangent_[k] = (rhs[k] - upper[k] * tangent_[k + 1]) / diagonal[k];
        }
    }

    constexpr void limitTangents(const std::array<double, N - 1>& secant) {
        for (size_t k = 0; k + 1 < N; ++k) {
            if (secant[k] <= 0.0) {
                tangent_[k] = 0.0;
                tangent_[k + 1] = 0.0;
                continue;
            }
            tangent_[k] = clampTangent(tangent_[k], secant[k]);
            tangent_[k + 1] = clampTangent(tangent_[k + 1], secant[k]);
        }
    }

    static constexpr double clampTangent(double tangent, double secant) {
        if (tangent < 0.0) return 0.0;
        return tangent > 3.0 * secant ? 3.0 * secant : tangent;
    }

    std::array<double, N> x_;
    std::array<double, N> y_;
    std::array<double, N> tangent_{};
};

}  // namespace marrowfold
