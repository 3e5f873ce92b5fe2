#pragma once

#include <cmath>

namespace marrowfold {

// The range of a parameter or control: real values from minimum to maximum, in steps of step
// (0: continuous), and the linear maps between them and normalised values 0..1.
//
// Two precisions, on purpose. The host conversions (toNormalized, toReal) compute in extended
// precision and round once, as the reference platform computes them; stored presets carry their
// results. Controls (positionOf, valueAt) compute in single precision. The two can differ in
// the last bit, so a control never stands in for a host conversion or the other way round.
//
// Header-only and without dependencies, so that the parameter model and the GUI toolkit both
// use it without either depending on the other.
class ParameterRange {
  public:
    // An empty range at 0, as a parameter has before it is registered.
    constexpr ParameterRange() = default;
    constexpr ParameterRange(float minimum, float maximum, float step = 0.0f)
        : minimum_(minimum), maximum_(maximum), step_(step) {}

    constexpr float minimum() const { return minimum_; }
    constexpr float maximum() const { return maximum_; }
    constexpr float step() const { return step_; }
    // Single precision on purpose: (12 - -12) / 0.1f must give exactly 240 steps.
    constexpr float span() const { return maximum_ - minimum_; }
    // 1 / span. An empty range (a data parameter) has no scale; 0 keeps normalised values finite.
    constexpr float scale() const { return span() != 0.0f ? 1.0f / span() : 0.0f; }
    // The number of steps from minimum to maximum, or 0 when continuous.
    constexpr float stepCount() const { return step_ > 0.0f ? span() / step_ : 0.0f; }

    // Above the maximum becomes the maximum; anything not at least the minimum (NaN too)
    // becomes the minimum.
    constexpr float clamp(float v) const {
        if (v > maximum_) v = maximum_;
        if (!(v >= minimum_)) v = minimum_;
        return v;
    }

    // The host value of a real value; nothing is clamped.
    float toNormalized(float real) const {
        return static_cast<float>((static_cast<long double>(real) - minimum_) * scale());
    }

    // The real value of a host value; nothing is clamped. A stepped range snaps to step k as
    // soon as normalized x stepCount reaches k - 0.65: host value 0.5 of -12..12 in 0.1 steps
    // gives 120 x 0.1f - 12 = 1.788139e-7, which saved presets carry.
    float toReal(float normalized) const {
        const long double low = minimum_;
        const float steps = stepCount();
        if (steps > 0.0f) {
            const long double k =
                std::floor(static_cast<long double>(normalized) * steps + kStepBias);
            return static_cast<float>(k * step_ + low);
        }
        return static_cast<float>(low + (static_cast<long double>(maximum_) - low) * normalized);
    }

    // Where a value stands in the range after clamping, as a share 0..1; 0 for an empty range.
    constexpr float positionOf(float v) const {
        const float clamped = clamp(v);
        return span() != 0.0f ? (clamped - minimum_) / span() : 0.0f;
    }

    // The value at a share of the range; nothing is clamped.
    constexpr float valueAt(float position) const { return minimum_ + span() * position; }

    // The plain linear maps between normalised and real values in double precision, rounded
    // once: what hosts that show real units exchange with the module, so that a value on the
    // step grid converts the same way every time. Neither snaps to a step or clamps.
    float linearReal(float normalized) const {
        return static_cast<float>(minimum_ + static_cast<double>(normalized) * wideSpan());
    }
    float linearNormalized(float real) const {
        return static_cast<float>((static_cast<double>(real) - minimum_) / wideSpan());
    }

    // The step nearest to a real value, as its normalised and its real value; a continuous
    // range keeps the value. A value on the grid gives exactly k / stepCount, which the
    // module's own rounding (biased upwards) would not.
    struct StepValue {
        float normalized;
        float real;
    };
    StepValue nearestStep(double real) const {
        const double width = span();
        if (step_ <= 0.0f)
            return {static_cast<float>((real - minimum_) / width), static_cast<float>(real)};
        const double steps = std::round(width / step_);
        const double k = std::round((real - minimum_) / step_);
        return {static_cast<float>(k / steps), static_cast<float>(minimum_ + k * step_)};
    }

  private:
    static constexpr long double kStepBias = 0.65;

    double wideSpan() const { return static_cast<double>(maximum_) - minimum_; }

    float minimum_ = 0.0f;
    float maximum_ = 0.0f;
    float step_ = 0.0f;
};

}  // namespace marrowfold
