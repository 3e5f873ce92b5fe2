#include "params/BandLimits.h"

#include <algorithm>
#include <cmath>

namespace marrowfold {

float highestEdgeHz(int32_t sampleRate, int32_t bandCount) {
    const float lowestTop =
        kLowestEdgeHz * std::exp2(kSmallestEdgeGap * static_cast<float>(bandCount));
    return std::max(static_cast<float>(sampleRate) / 2.0f, lowestTop);
}

float clampedEdge(const float* edgeLog, int32_t bandCount, int32_t e, float x, float highestHz) {
    const float lowest = std::log2(kLowestEdgeHz);
    x = x >= lowest ? x : lowest;
    x = std::min(x, std::log2(highestHz));
    if (e > 0) x = std::max(x, edgeLog[e - 1] + kSmallestEdgeGap);
    if (e < bandCount) x = std::min(x, edgeLog[e + 1] - kSmallestEdgeGap);
    return x;
}

float clampedDrive(float db) {
    db = db >= kLowestDrive ? db : kLowestDrive;
    return std::min(db, kHighestDrive);
}

void keepOuterEdgesInRange(float* edgeLog, int32_t bandCount, float highestHz) {
    edgeLog[0] = std::max(edgeLog[0], std::log2(kLowestEdgeHz));
    edgeLog[bandCount] = std::min(edgeLog[bandCount], std::log2(highestHz));
}

}  // namespace marrowfold
