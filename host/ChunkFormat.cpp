#include "host/ChunkFormat.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <stdexcept>

#include "core/Numeric.h"

namespace marrowfold {

namespace {

// Preset record fields, at their offsets within the record.
constexpr size_t kDriveOffset = offsetof(PresetRecord, bandDrive);
constexpr size_t kEdgeOffset = offsetof(PresetRecord, bandEdge);
constexpr size_t kLevelOffset = offsetof(PresetRecord, bandLevel);
constexpr size_t kInputOffset = offsetof(PresetRecord, inputGain);
constexpr size_t kOutputOffset = offsetof(PresetRecord, outputGain);
constexpr size_t kShapeOffset = offsetof(PresetRecord, shape);
constexpr size_t kRecordNameOffset = offsetof(PresetRecord, name);
constexpr size_t kRecordNameSize = kPresetNameSize;
constexpr size_t kWordSize = kChunkWordSize;

// Text up to its terminating zero, never past the field.
std::string fieldText(const char* field, size_t size) {
    return std::string(field, strnlen(field, size));
}

// Record names are stored word by word like the numbers, so each group of four characters
// comes out reversed.
std::string recordName(std::span<const uint8_t> record) {
    char name[kRecordNameSize];
    for (size_t word = 0; word < kRecordNameSize; word += kWordSize) {
        for (size_t k = 0; k < kWordSize; ++k)
            name[word + k] =
                static_cast<char>(record[kRecordNameOffset + word + kWordSize - 1 - k]);
    }
    return fieldText(name, sizeof name);
}

template <size_t N>
void readFloats(std::span<const uint8_t> record, size_t offset, std::array<float, N>& values) {
    for (size_t k = 0; k < N; ++k)
        values[k] = bigEndianFloat(record, offset + kWordSize * k);
}

ChunkPreset decodeRecord(std::span<const uint8_t> record) {
    ChunkPreset preset;
    readFloats(record, kDriveOffset, preset.bandDrive);
    readFloats(record, kEdgeOffset, preset.bandEdge);
    readFloats(record, kLevelOffset, preset.bandLevel);
    preset.inputGain = bigEndianFloat(record, kInputOffset);
    preset.outputGain = bigEndianFloat(record, kOutputOffset);
    preset.shape = static_cast<int32_t>(bigEndianWord(record, kShapeOffset));
    preset.name = recordName(record);
    return preset;
}

// The count the module works with: a stored count outside 1..64 is kept within the bank.
int32_t presetsInUse(std::span<const uint8_t> program) {
    const int32_t stored = truncateToInt32(bigEndianFloat(program, kChunkPresetCountOffset));
    return std::clamp(stored, 1, kBankRecordCount);
}

}  // namespace

int32_t ChunkProgram::selectedPreset() const {
    const auto count = static_cast<int32_t>(presets.size());
    const int32_t index = truncateToInt32(static_cast<double>(presetValue) * count + 0.5);
    return std::clamp(index, 0, std::max(count - 1, 0));
}

ChunkProgram decodeProgramChunk(std::span<const uint8_t> chunk) {
    if (chunk.size() != kProgramChunkSize)
        throw std::invalid_argument("a program chunk has " + std::to_string(kProgramChunkSize) +
                                    " bytes");
    ChunkProgram program;
    program.name =
        fieldText(reinterpret_cast<const char*>(&chunk[kChunkProgramNameOffset]), kProgramNameSize);
    program.presetValue = bigEndianFloat(chunk, kChunkPresetValueOffset);
    const int32_t count = presetsInUse(chunk);
    for (int32_t i = 0; i < count; ++i)
        program.presets.push_back(decodeRecord(
            chunk.subspan(kChunkBankOffset + kPresetRecordSize * i, kPresetRecordSize)));
    return program;
}

std::vector<ChunkProgram> decodeBankChunk(std::span<const uint8_t> chunk) {
    if (chunk.size() != kBankChunkSize)
        throw std::invalid_argument("a bank chunk has " + std::to_string(kBankChunkSize) +
                                    " bytes");
    std::vector<ChunkProgram> programs;
    for (int32_t p = 0; p < kProgramCount; ++p)
        programs.push_back(
            decodeProgramChunk(chunk.subspan(kProgramChunkSize * p, kProgramChunkSize)));
    return programs;
}

}  // namespace marrowfold
