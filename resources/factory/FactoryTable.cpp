#include "FactoryTable.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace marrowfold {

namespace {

// Cells per row, the row kind included.
constexpr size_t kProgramCells = 4;
constexpr size_t kPresetCells = 11;
constexpr size_t kCopyCells = 5;

std::string trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> cells;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
        cells.push_back(trim(text.substr(start, end - start)));
    }
    cells.push_back(trim(text.substr(start)));
    return cells;
}

double number(const std::string& cell) {
    size_t used = 0;
    const double value = std::stod(cell, &used);
    if (used != cell.size()) throw std::invalid_argument(cell);
    return value;
}

int32_t integer(const std::string& cell) {
    const double value = number(cell);
    if (value != static_cast<int32_t>(value)) throw std::invalid_argument(cell);
    return static_cast<int32_t>(value);
}

template <size_t N>
std::array<double, N> numbers(const std::string& cell) {
    const std::vector<std::string> parts = split(cell, '/');
    if (parts.size() != N) throw std::invalid_argument(cell);
    std::array<double, N> values{};
    for (size_t i = 0; i < N; ++i)
        values[i] = number(parts[i]);
    return values;
}

FactoryPreset presetRow(const std::vector<std::string>& cells) {
    if (cells.size() != kPresetCells) throw std::invalid_argument("wrong number of cells");
    if (cells[10] != "host" && cells[10] != "exact") throw std::invalid_argument(cells[10]);
    FactoryPreset preset{integer(cells[1]),
                         integer(cells[2]),
                         cells[3],
                         numbers<kBandCount>(cells[4]),
                         numbers<kEdgeCount>(cells[5]),
                         {},
                         integer(cells[9]),
                         cells[10] == "exact"};
    const std::array<double, kBandCount> bands = numbers<kBandCount>(cells[6]);
    std::copy(bands.begin(), bands.end(), preset.levels.begin());
    preset.levels[4] = number(cells[7]);
    preset.levels[5] = number(cells[8]);
    return preset;
}

FactoryCopy copyRow(const std::vector<std::string>& cells) {
    if (cells.size() != kCopyCells) throw std::invalid_argument("wrong number of cells");
    const std::vector<std::string> range = split(cells[2], '-');
    if (range.size() != 2) throw std::invalid_argument(cells[2]);
    return {integer(cells[1]), integer(range[0]), integer(range[1]), cells[3], cells[4]};
}

void addRow(FactoryTable& table, const std::vector<std::string>& cells) {
    const std::string& kind = cells[0];
    if (kind == "program" && cells.size() == kProgramCells) {
        table.programs.push_back({integer(cells[1]), cells[2], integer(cells[3])});
    } else if (kind == "preset") {
        table.presets.push_back(presetRow(cells));
    } else if (kind == "copy") {
        table.copies.push_back(copyRow(cells));
    } else {
        throw std::invalid_argument("unknown row");
    }
}

}  // namespace

FactoryTable readFactoryTable(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("cannot read " + path);
    FactoryTable table;
    std::string line;
    for (int lineNumber = 1; std::getline(file, line); ++lineNumber) {
        const std::string text = trim(line);
        if (text.empty() || text[0] == '#') continue;
        try {
            addRow(table, split(text, '|'));
        } catch (const std::exception& error) {
            throw std::runtime_error(path + ":" + std::to_string(lineNumber) + ": malformed row (" +
                                     error.what() + ")");
        }
    }
    return table;
}

}  // namespace marrowfold
