#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace marrowfold {

// The module's saved state as a host may read it: a program chunk holds one program, a bank
// chunk the four programs one after the other. Neither carries a header; the length tells them
// apart.
inline constexpr size_t kProgramChunkSize = 6500;
inline constexpr int32_t kChunkProgramCount = 4;
inline constexpr size_t kBankChunkSize = kProgramChunkSize * kChunkProgramCount;
inline constexpr int32_t kChunkBandCount = 4;
inline constexpr int32_t kChunkEdgeCount = 5;

// One preset record as stored, in real units.
struct ChunkPreset {
    std::string name;
    std::array<float, kChunkBandCount> bandDrive{};  // dB
    std::array<float, kChunkEdgeCount> bandEdge{};   // Hz, ascending
    std::array<float, kChunkBandCount> bandLevel{};  // dB
    float inputGain = 0.0f;                          // dB
    float outputGain = 0.0f;                         // dB
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
