#pragma once

#include <cstdint>

namespace marrowfold {

// Where the band editor lets edges and drives go, and the clamps its drags pass through; hosts
// that edit the bands through the module pass through the same ones. Edges are log2 of their
// frequency in Hz.
inline constexpr float kLowestEdgeHz = 25.0f;
inline constexpr float kSmallestEdgeGap = 0.5f;  // octaves between neighbouring edges
inline constexpr float kLowestDrive = -20.0f;
inline constexpr float kHighestDrive = 20.0f;

// Half the rate, or more when that leaves too little room for every band at its smallest width.
float highestEdgeHz(int32_t sampleRate, int32_t bandCount);

// Edge e moved to x: inside the frequency range and half an octave from both neighbours of
// edgeLog (bandCount + 1 edges); when the neighbours leave no room, it keeps clear of the upper
// one. NaN ends at the lowest frequency.
float clampedEdge(const float* edgeLog, int32_t bandCount, int32_t e, float x, float highestHz);

// A drive within the editor's range; NaN ends at the lowest drive.
float clampedDrive(float db);

// The outer edges back inside the range, which the neighbour rule can push them out of.
void keepOuterEdgesInRange(float* edgeLog, int32_t bandCount, float highestHz);

}  // namespace marrowfold
