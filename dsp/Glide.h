#pragma once

#include <cstdint>

namespace marrowfold {

// The value a move from from to to has reached at weight (0 at its start, 1 at its end).
inline float glideBetween(float from, float to, float weight) {
    return from + (to - from) * weight;
}

// A value on its way from one setting to another along the glide curve, length samples long: a
// gain, a wet share, or the weight of a crossfade (a move from 0 to 1). The position counts
// samples at the rate the length was taken for; where the value is needed at factor times that
// rate, each sample steps by 1 / factor. A small value type: it allocates nothing, and every
// member may run on the audio thread.
class Glide {
  public:
    // At rest at value.
    Glide(int32_t length, float value);

    float from() const { return from_; }
    float to() const { return to_; }
    double position() const { return position_; }
    int32_t length() const { return length_; }
    bool moving() const { return position_ < length_; }

    // The value at the current position, as fill gives it: at rest from + (to - from), which
    // rounding may leave a step of the last bit away from to(); to() is the exact end.
    float reached() const;
    // The curve's weight at the current position, 0..1: 1 once the move is done.
    float weight() const;

    // Starts a move to target from the value reached now, so that a move under way continues
    // without a step. A target equal to the current one changes nothing.
    void moveTo(float target);
    // Starts a move from from to to.
    void start(float from, float to);
    // Rests at value from now on, without a move.
    void jumpTo(float value);

    // How many of the next count steps lie before the end of the move: the ones a fill gives
    // values other than the end for.
    int32_t stepsBeforeEnd(int32_t count, double step = 1.0) const;
    // Fills values[n] with the value at the position plus n steps, then moves the position on by
    // count steps (to the length at most). Past the length every value is the end of the move.
    void fill(float* values, int32_t count, double step = 1.0);

  private:
    int32_t length_;
    double position_;  // length_ when at rest
    float from_;
    float to_;
};

}  // namespace marrowfold
