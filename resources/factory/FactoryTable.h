#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "params/PresetRecord.h"

namespace marrowfold {

// The rows of the factory bank table (factory_bank.txt), values as written there.

inline constexpr int32_t kFactoryLevelCount = 6;  // Band1-4, In, Out: parameters 0..5

struct FactoryProgram {
    int32_t number;
    std::string name;
    int32_t presetCount;
};

struct FactoryPreset {
    int32_t program;
    int32_t record;
    std::string name;
    std::array<double, kBandCount> drives;
    std::array<double, kEdgeCount> edges;
    std::array<double, kFactoryLevelCount> levels;
    int32_t shape;
    bool exactLevels;  // stored as written instead of through the host value path
};

// Records first..last of a program hold the values of another preset under a new name.
struct FactoryCopy {
    int32_t program;
    int32_t first;
    int32_t last;
    std::string name;
    std::string source;
};

struct FactoryTable {
    std::vector<FactoryProgram> programs;
    std::vector<FactoryPreset> presets;
    std::vector<FactoryCopy> copies;
};

// Reads the table; throws std::runtime_error naming the line of a malformed row.
FactoryTable readFactoryTable(const std::string& path);

}  // namespace marrowfold
