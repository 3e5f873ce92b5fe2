#pragma once

namespace marrowfold {

// The quietest level the spectrum and the hosts' meters read: anything quieter, silence
// included, reads as this floor.
inline constexpr float kSilenceFloorDecibels = -90.0f;

// 20 log10 of a magnitude, never below floor; a magnitude that is not above 0 reads floor.
float magnitudeToDecibels(float magnitude, float floor);

}  // namespace marrowfold
