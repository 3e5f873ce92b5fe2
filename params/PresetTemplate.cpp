#include "params/PresetTemplate.h"

#include <cmath>
#include <cstring>

namespace marrowfold {

namespace {
constexpr double kLowestEdgeHz = 25.0;
}

BandEdges defaultBandEdges(float sampleRate) {
    const double ratio = 0.5 * sampleRate / kLowestEdgeHz;
    BandEdges edges{};
    for (int32_t i = 0; i < kEdgeCount; ++i) {
        const double exponent = static_cast<double>(i) / kBandCount;
        edges[i] = static_cast<float>(kLowestEdgeHz * std::pow(ratio, exponent));
    }
    return edges;
}

PresetRecord makeNewPreset(const char* name, const BandEdges& edges) {
    PresetRecord record{};
    std::memcpy(record.bandEdge, edges.data(), sizeof record.bandEdge);
    if (name != nullptr) {
        std::strncpy(record.name, name, kMaxPresetNameLength);
    }
    record.recordTag = kRecordTag;
    return record;
}

}  // namespace marrowfold
