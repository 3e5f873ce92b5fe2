#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "params/ChunkLayout.h"
#include "params/ParameterSet.h"

namespace marrowfold {

// Told about each step of a program load, so the effect can pass it on to its editor.
class ProgramLoadObserver {
  public:
    virtual ~ProgramLoadObserver() = default;
    // Right after the model has the new bank (index 8).
    virtual void dataLoaded(int32_t index, const void* bytes, int32_t size) = 0;
    // For parameter 7, then 0..6, with the host value just given to the model.
    virtual void parameterLoaded(int32_t index, float value) = 0;
};

// A run of stored bytes: one program or the whole bank of programs.
struct ChunkView {
    const unsigned char* data;
    int32_t length;
};

// The four programs of the effect in one block: a table of four pointers to program entries,
// the four entries (one pointer per stored parameter 0..9, then one to the name), then the four
// programs one after the other. The programs hold the saved chunk format: parameters 0..9 in
// their data sizes as big-endian 32-bit words (host values for 0..7, the real value of 9, the
// bank word by word), then a 64-byte name in plain byte order. Stored bytes stay in that
// format at all times: a load decodes into a scratch copy.
class ProgramStore {
  public:
    struct ProgramEntry {
        unsigned char* field[kStoredParameterCount];
        char* name;
    };

    // Lays out the block from the model's data sizes, stores the model's current values into
    // every program and names them "Init 1".."Init 4".
    explicit ProgramStore(const ParameterSet& model);
    ~ProgramStore();
    ProgramStore(const ProgramStore&) = delete;
    ProgramStore& operator=(const ProgramStore&) = delete;

    // Bytes of one program: the data sizes of parameters 0..9 plus the name.
    int32_t programSize() const { return programSize_; }

    // Program numbers outside 0..3 are ignored by every operation.
    void storeProgram(int32_t program, const ParameterSet& model);
    // Sets parameter 9, the bank (8), the preset (7) and then 0..6 with busyCount raised.
    // False for a program number outside 0..3.
    bool loadProgram(int32_t program, ParameterSet& model, ProgramLoadObserver* observer);

    // Copies the name (at most 63 characters and a terminating zero) into dest, which has room
    // for 64 bytes; an empty name for a bad program number.
    void copyProgramName(int32_t program, char* dest) const;
    // Stores name cut to 63 characters; the rest of the field is cleared.
    void setProgramName(int32_t program, const char* name);

    // The stored bytes of one program (isProgram) or of all four, without storing first;
    // {nullptr, 0} for a bad program number.
    ChunkView contents(bool isProgram, int32_t program) const;
    // The host's chunk request: stores the current program, then answers its bytes (or all
    // four programs). The bytes stay valid until the storage next changes.
    ChunkView saveState(bool isProgram, int32_t currentProgram, const ParameterSet& model);
    // The host's chunk delivery: a program chunk of exactly programSize() bytes replaces the
    // current program, a bank chunk of exactly 4 x programSize() bytes replaces all four; the
    // current program is then loaded and the answer is 0. Any other length, a null pointer or
    // a bad program number answers -1 and changes nothing.
    int32_t restoreState(const void* data, int32_t length, bool isProgram, int32_t currentProgram,
                         ParameterSet& model, ProgramLoadObserver* observer);

    // The whole block, header first.
    const unsigned char* block() const { return block_.get(); }
    int32_t headerSize() const;

  private:
    static bool isValidProgram(int32_t program) {
        return static_cast<uint32_t>(program) < kProgramCount;
    }
    unsigned char* programStart(int32_t program) const;
    void layOutBlock();

    int32_t fieldSize_[kStoredParameterCount] = {};
    int32_t programSize_ = 0;
    std::unique_ptr<unsigned char[]> block_;
    ProgramEntry** table_ = nullptr;
    std::vector<unsigned char> scratch_;  // the decoded bank during a load
};

}  // namespace marrowfold
