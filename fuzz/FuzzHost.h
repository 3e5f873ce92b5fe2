#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/EffectRecord.h"

namespace marrowfold::fuzz {

// How the host answers the plug-in's questions, and whether the effect gets its editor object.
// Without one the effect runs as it does when the editor cannot be allocated; building one
// decodes all of the editor's bitmaps, which dominates the time of a short fuzz input.
struct HostAnswers {
    bool inputWired[2] = {true, true};
    bool outputWired[2] = {true, true};
    std::string productName = "Fuzz Host";
    bool withEditor = true;
};

// A host for one plug-in instance: builds the effect through the module's entry function and
// talks to it only through its record, as a host application does. The editor object is built
// when the module has one and the answers ask for it; its window opens in hostWindow().
class FuzzHost {
  public:
    explicit FuzzHost(HostAnswers answers = {});
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;
    ~FuzzHost();

    EffectRecord& record() { return *plugin; }
    bool isOpen() const { return plugin != nullptr; }
    HostAnswers& answers() { return hostAnswers; }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index);
    // A window of the in-memory window system for the editor to open in; null without an editor.
    static void* hostWindow();
    // Sends the close request; the record is gone afterwards.
    void close();

    // A copy of the plug-in's chunk; empty when it answered no data.
    std::vector<uint8_t> saveChunk(bool isProgram);
    intptr_t restoreChunk(std::vector<uint8_t> chunk, bool isProgram);

  private:
    static intptr_t receive(EffectRecord* record, int32_t opcode, int32_t index, intptr_t value,
                            void* ptr, float opt);
    intptr_t answer(int32_t opcode, int32_t index, intptr_t value, void* ptr);

    HostAnswers hostAnswers;
    EffectRecord* plugin = nullptr;
};

// Stops the program with a message when a property of the plug-in does not hold, so that the
// fuzzer records the input as a crash.
void require(bool condition, const char* what);

}  // namespace marrowfold::fuzz
