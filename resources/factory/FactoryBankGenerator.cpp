// Build-time tool: turns factory_bank.txt into a C++ source holding the factory bank chunk as
// hexadecimal text. Usage: marrowfold_factory_generator <table> <output.cpp>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "FactoryTable.h"
#include "params/DistortionParameters.h"
#include "params/FactoryBank.h"
#include "params/PresetTemplate.h"
#include "params/ProgramStore.h"

namespace marrowfold {

namespace {

constexpr double kDriveGrid = 3.0;  // drives lie on multiples of 1/3 dB
// Edges the table writes as these values are the exact default edges at 44100 Hz.
constexpr double kShownDefaultEdges[kEdgeCount] = {25.0, 136.24, 742.46, 4046.14, 22050.0};
constexpr int32_t kHexBytesPerLine = 48;

float storedEdge(double shown) {
    const BandEdges defaults = defaultBandEdges(kDefaultSampleRate);
    for (int32_t e = 0; e < kEdgeCount; ++e) {
        if (shown == kShownDefaultEdges[e]) return defaults[e];
    }
    return static_cast<float>(shown);
}

// The level as a host value on the nearest step stores it: k x step + min, computed by the
// model's own conversion.
float hostQuantised(const DistortionParameters& model, int32_t index, double shown) {
    const ParameterRange& range = model.descriptor(index)->range;
    const double step = std::round((shown - range.minimum()) / range.step());
    return model.toReal(index, static_cast<float>(step / range.stepCount()));
}

PresetRecord makeRecord(const DistortionParameters& model, const FactoryPreset& row) {
    PresetRecord record{};
    for (int32_t b = 0; b < kBandCount; ++b) {
        record.bandDrive[b] =
            static_cast<float>(std::round(row.drives[b] * kDriveGrid) / kDriveGrid);
    }
    for (int32_t e = 0; e < kEdgeCount; ++e)
        record.bandEdge[e] = storedEdge(row.edges[e]);
    float levels[kFactoryLevelCount];
    for (int32_t i = 0; i < kFactoryLevelCount; ++i) {
        levels[i] = row.exactLevels ? static_cast<float>(row.levels[i])
                                    : hostQuantised(model, i, row.levels[i]);
    }
    std::copy_n(levels, kBandCount, record.bandLevel);
    record.inputGain = levels[ParamIn];
    record.outputGain = levels[ParamOut];
    record.shape = row.shape;
    if (row.name.size() >= kPresetNameSize) throw std::runtime_error("name too long: " + row.name);
    std::strncpy(record.name, row.name.c_str(), kPresetNameSize - 1);
    record.recordTag = kRecordTag;
    return record;
}

const FactoryPreset& findPreset(const FactoryTable& table, const std::string& name) {
    const auto found = std::find_if(table.presets.begin(), table.presets.end(),
                                    [&](const FactoryPreset& row) { return row.name == name; });
    if (found == table.presets.end()) throw std::runtime_error("no preset named " + name);
    return *found;
}

void writeRecord(DistortionParameters& model, const PresetRecord& record, int32_t index) {
    if (static_cast<uint32_t>(index) >= kBankRecordCount) {
        throw std::runtime_error("record " + std::to_string(index) + " outside the bank");
    }
    model.setData(ParamBank, &record, kPresetRecordSize, index);
}

// Sets the model's bank to one program's records: its presets, its copies, zeros elsewhere.
void fillBank(DistortionParameters& model, const FactoryTable& table,
              const FactoryProgram& program) {
    const PresetRecord empty{};
    for (int32_t r = 0; r < kBankRecordCount; ++r)
        writeRecord(model, empty, r);
    int32_t presets = 0;
    for (const FactoryPreset& row : table.presets) {
        if (row.program != program.number) continue;
        if (row.record != presets++) throw std::runtime_error("records out of order: " + row.name);
        writeRecord(model, makeRecord(model, row), row.record);
    }
    if (presets != program.presetCount) throw std::runtime_error("preset count of " + program.name);
    for (const FactoryCopy& copy : table.copies) {
        if (copy.program != program.number) continue;
        PresetRecord record = makeRecord(model, findPreset(table, copy.source));
        std::memset(record.name, 0, sizeof record.name);
        std::strncpy(record.name, copy.name.c_str(), kPresetNameSize - 1);
        for (int32_t r = copy.first; r <= copy.last; ++r)
            writeRecord(model, record, r);
    }
}

std::string buildBankText(const FactoryTable& table) {
    DistortionParameters model;
    ProgramStore store(model);
    if (table.programs.size() != kProgramCount) {
        throw std::runtime_error("the table must describe four programs");
    }
    for (const FactoryProgram& program : table.programs) {
        fillBank(model, table, program);
        model.setValue(ParamPresetCount, static_cast<float>(program.presetCount));
        model.setValue(ParamPreset, 0.0f);
        store.storeProgram(program.number, model);
        store.setProgramName(program.number, program.name.c_str());
    }
    const ChunkView bank = store.contents(false, 0);
    return encodeBankText(bank.data, bank.length);
}

void writeSource(const std::string& path, const std::string& text) {
    std::ofstream out(path);
    out << "// Generated from resources/factory/factory_bank.txt at build time; do not edit.\n"
        << "#include \"params/FactoryBankData.h\"\n\nnamespace marrowfold {\n\nnamespace {\n"
        << "constexpr char kFactoryBankText[] =\n";
    const size_t perLine = 2 * kHexBytesPerLine;
    for (size_t i = 0; i < text.size(); i += perLine) {
        out << "    \"" << text.substr(i, perLine) << "\""
            << (i + perLine >= text.size() ? ";" : "") << "\n";
    }
    out << "}  // namespace\n\n"
        << "const char* factoryBankText() { return kFactoryBankText; }\n"
        << "int32_t factoryBankLength() { return " << text.size() + 1 << "; }\n\n"
        << "}  // namespace marrowfold\n";
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

}  // namespace marrowfold

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " <factory table> <output source>\n";
        return 2;
    }
    try {
        const marrowfold::FactoryTable table = marrowfold::readFactoryTable(argv[1]);
        marrowfold::writeSource(argv[2], marrowfold::buildBankText(table));
    } catch (const std::exception& error) {
        std::cerr << argv[0] << ": " << error.what() << "\n";
        return 1;
    }
    return 0;
}
