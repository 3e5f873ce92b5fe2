#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "params/ChunkLayout.h"

namespace marrowfold {

// The module's saved state as a host may read it (layout in params/ChunkLayout.h): a program
// chunk holds one program, a bank chunk the four programs; the length tells them apart.

// One preset record as stored, in real units.
struct ChunkPreset {
    std::string name;
    std::array<float, kBandCount> bandDrive{};  // dB
    std::array<float, kEdgeCount> bandEdge{};   // Hz, ascending
    std::array<float, kBandCount> bandLevel{};  // dB
    float inputGain = 0.0f;                     // dB
    float outputGain = 0.0f;                    // dB
    int32_t shape = 0;
};

// One program: its name, its presets in use and which of them is selected.
struct ChunkProgram {
    std::string name;
    // The host value of "Preset": selected index / number of presets.
    float presetValue = 0.0f;
    std::vector<ChunkPreset> presets;

    // The index the module selects for `presetValue`, kept within the presets in use.
    int32_t selectedPreset() const;
};

// Decodes one program chunk; throws std::invalid_argument for a buffer of the wrong length.
ChunkProgram decodeProgramChunk(std::span<const uint8_t> chunk);
// Decodes the four programs of a bank chunk; throws std::invalid_argument likewise.
std::vector<ChunkProgram> decodeBankChunk(std::span<const uint8_t> chunk);

}  // namespace marrowfold
