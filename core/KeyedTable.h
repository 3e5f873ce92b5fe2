#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace marrowfold {

// One row of a table that is written by key (an opcode, a tag, a resource id) rather than by
// position, so that swapping two rows in the source cannot go unnoticed.
template <typename Value>
struct KeyedEntry {
    int32_t key;
    Value value;
};

enum class KeyCoverage { Complete, KeyOutsideTable, KeyTwice, KeyMissing };

// Whether the entries fill the keys firstKey .. firstKey + Size - 1 each exactly once.
template <size_t Size, typename Value, size_t Count>
constexpr KeyCoverage keyCoverage(int32_t firstKey, const KeyedEntry<Value> (&entries)[Count]) {
    std::array<bool, Size> filled{};
    for (const KeyedEntry<Value>& entry : entries) {
        const int64_t slot = int64_t{entry.key} - firstKey;
        if (slot < 0 || slot >= static_cast<int64_t>(Size)) return KeyCoverage::KeyOutsideTable;
        if (filled[static_cast<size_t>(slot)]) return KeyCoverage::KeyTwice;
        filled[static_cast<size_t>(slot)] = true;
    }
    for (bool slotFilled : filled)
        if (!slotFilled) return KeyCoverage::KeyMissing;
    return KeyCoverage::Complete;
}

// The values of the entries in key order. Evaluated at compile time only: a key outside the
// table, a key given twice or a key left out stops the build here.
template <typename Value, size_t Size, size_t Count>
consteval std::array<Value, Size> tableByKey(int32_t firstKey,
                                             const KeyedEntry<Value> (&entries)[Count]) {
    if (keyCoverage<Size>(firstKey, entries) != KeyCoverage::Complete)
        throw "every key of the table must be given exactly once";
    std::array<Value, Size> table{};
    for (const KeyedEntry<Value>& entry : entries)
        table[static_cast<size_t>(entry.key - firstKey)] = entry.value;
    return table;
}

}  // namespace marrowfold
