#include "params/ProgramStore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "params/ParameterIndex.h"

namespace marrowfold {

namespace {

constexpr int32_t kWordSize = 4;

// Reverses the bytes of every 32-bit word; a length that is not a whole number of words is left
// as it is.
void swapWords(unsigned char* bytes, int32_t length) {
    if (length % kWordSize != 0) return;
    for (int32_t i = 0; i < length; i += kWordSize)
        std::reverse(bytes + i, bytes + i + kWordSize);
}

void writeBigEndianFloat(unsigned char* field, float value) {
    std::memcpy(field, &value, kWordSize);
    swapWords(field, kWordSize);
}

float readBigEndianFloat(const unsigned char* field) {
    unsigned char word[kWordSize];
    std::memcpy(word, field, kWordSize);
    swapWords(word, kWordSize);
    float value;
    std::memcpy(&value, word, kWordSize);
    return value;
}

// Host-visible parameters are stored as host values, the others as real values.
float storedValue(const ParameterSet& model, int32_t index) {
    return index < kHostParameterCount ? model.getNormalized(index) : model.getValue(index);
}

}  // namespace

ProgramStore::ProgramStore(const ParameterSet& model) {
    for (int32_t i = 0; i < kStoredParameterCount; ++i) {
        const ParameterDesc* desc = model.descriptor(i);
        fieldSize_[i] = desc != nullptr ? std::max(desc->dataSize, 0) : 0;
        programSize_ += fieldSize_[i];
    }
    programSize_ += kProgramNameSize;
    scratch_.resize(fieldSize_[ParamBank]);
    layOutBlock();
    for (int32_t p = 0; p < kProgramCount; ++p) {
        storeProgram(p, model);
        char name[kProgramNameSize];
        std::snprintf(name, sizeof name, "Init %d", static_cast<int>(p + 1));
        setProgramName(p, name);
    }
}

ProgramStore::~ProgramStore() = default;

int32_t ProgramStore::headerSize() const {
    return static_cast<int32_t>(kProgramCount * sizeof(ProgramEntry*) +
                                kProgramCount * sizeof(ProgramEntry));
}

// The pointer tables live inside the block, ahead of the programs they point into.
void ProgramStore::layOutBlock() {
    static_assert(sizeof(ProgramEntry) == (kStoredParameterCount + 1) * sizeof(void*));
    block_ = std::make_unique<unsigned char[]>(headerSize() + kProgramCount * programSize_);
    unsigned char* const start = block_.get();
    table_ = ::new (start) ProgramEntry* [kProgramCount] {};
    // cppcheck-suppress legacyUninitvar ; placement new constructs the entries it answers
    auto* entries =
        ::new (start + kProgramCount * sizeof(ProgramEntry*)) ProgramEntry[kProgramCount]{};
    unsigned char* cursor = start + headerSize();
    for (int32_t p = 0; p < kProgramCount; ++p) {
        table_[p] = &entries[p];
        for (int32_t i = 0; i < kStoredParameterCount; ++i) {
            entries[p].field[i] = cursor;
            cursor += fieldSize_[i];
        }
        entries[p].name = reinterpret_cast<char*>(cursor);
        cursor += kProgramNameSize;
    }
}

unsigned char* ProgramStore::programStart(int32_t program) const {
    return block_.get() + headerSize() + program * programSize_;
}

void ProgramStore::storeProgram(int32_t program, const ParameterSet& model) {
    if (!isValidProgram(program)) return;
    const ProgramEntry& entry = *table_[program];
    for (int32_t i = 0; i < kStoredParameterCount; ++i) {
        if (model.hasData(i)) {
            std::memset(entry.field[i], 0, fieldSize_[i]);
            model.getData(i, entry.field[i], fieldSize_[i], 0);
            swapWords(entry.field[i], fieldSize_[i]);
        } else if (fieldSize_[i] == kWordSize) {
            writeBigEndianFloat(entry.field[i], storedValue(model, i));
        }
    }
}

// The count of presets comes first so the preset index is bounded by the loaded count, and the
// preset before 0..6 so those values land in the record they were stored from.
bool ProgramStore::loadProgram(int32_t program, ParameterSet& model,
                               ProgramLoadObserver* observer) {
    if (!isValidProgram(program)) return false;
    const ProgramEntry& entry = *table_[program];
    BusyScope busy(model);
    model.setValue(ParamPresetCount, readBigEndianFloat(entry.field[ParamPresetCount]));

    const int32_t bankSize = fieldSize_[ParamBank];
    std::memcpy(scratch_.data(), entry.field[ParamBank], bankSize);
    swapWords(scratch_.data(), bankSize);
    model.setData(ParamBank, scratch_.data(), bankSize, 0);
    if (observer != nullptr) observer->dataLoaded(ParamBank, scratch_.data(), bankSize);

    const int32_t order[] = {ParamPreset, ParamBand1, ParamBand2, ParamBand3,
                             ParamBand4,  ParamIn,    ParamOut,   ParamShape};
    for (int32_t index : order) {
        const float value = readBigEndianFloat(entry.field[index]);
        model.setNormalized(index, value);
        if (observer != nullptr) observer->parameterLoaded(index, value);
    }
    return true;
}

void ProgramStore::copyProgramName(int32_t program, char* dest) const {
    if (dest == nullptr) return;
    dest[0] = '\0';
    if (!isValidProgram(program)) return;
    // A restored chunk may hold a name without its terminating zero.
    const char* name = table_[program]->name;
    const size_t length = strnlen(name, kProgramNameSize - 1);
    std::memcpy(dest, name, length);
    dest[length] = '\0';
}

void ProgramStore::setProgramName(int32_t program, const char* name) {
    if (!isValidProgram(program)) return;
    char* field = table_[program]->name;
    std::memset(field, 0, kProgramNameSize);
    if (name != nullptr) std::memcpy(field, name, strnlen(name, kProgramNameSize - 1));
}

ChunkView ProgramStore::contents(bool isProgram, int32_t program) const {
    if (!isValidProgram(program)) return {nullptr, 0};
    if (isProgram) return {programStart(program), programSize_};
    return {programStart(0), kProgramCount * programSize_};
}

ChunkView ProgramStore::saveState(bool isProgram, int32_t currentProgram,
                                  const ParameterSet& model) {
    storeProgram(currentProgram, model);
    return contents(isProgram, currentProgram);
}

int32_t ProgramStore::restoreState(const void* data, int32_t length, bool isProgram,
                                   int32_t currentProgram, ParameterSet& model,
                                   ProgramLoadObserver* observer) {
    const ChunkView target = contents(isProgram, currentProgram);
    if (data == nullptr || target.data == nullptr || length != target.length) return -1;
    // The host may hand back the very bytes saveState gave it.
    std::memmove(programStart(isProgram ? currentProgram : 0), data, length);
    loadProgram(currentProgram, model, observer);
    return 0;
}

}  // namespace marrowfold
