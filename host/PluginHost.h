#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/EffectRecord.h"
#include "host/PluginModule.h"

namespace marrowfold {

// How the host answers the plug-in's questions.
struct HostSettings {
    intptr_t versionAnswer = 2400;
    std::string productName = "Marrowfold Host";
    std::set<int32_t> unwiredInputs;
    std::set<int32_t> unwiredOutputs;
};

// One request the plug-in sent to the host.
struct HostCall {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
    bool withRecord;
};

// The host side of one plug-in instance: answers the plug-in's host requests, records them,
// and drives the plug-in only through its record, as any host does.
//
// Threads: the owner calls every member from one thread of its own, except that processing may
// run on another (an audio thread) while the owner sets parameters, as hosts do. The plug-in
// asks its questions on whichever thread it runs (automation from the audio thread or the
// editor's): answers read only the settings, which must not change while the plug-in runs, and
// the record of calls is kept under a lock, so calls() and countCalls() may be read from any
// thread.
class PluginHost {
  public:
    explicit PluginHost(HostSettings hostSettings = {});
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;
    ~PluginHost();

    // Calls the module's entry point; false when it returns no record.
    bool create(const PluginModule& module);
    bool isOpen() const { return plugin != nullptr; }
    EffectRecord* record() const { return plugin; }
    // Sends the close request; the record is gone afterwards. Answers the close request's result.
    intptr_t close();

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index);
    void processReplace(float** inputs, float** outputs, int32_t frames);
    void processAdd(float** inputs, float** outputs, int32_t frames);

    void setSampleRate(float rate);
    void setBlockSize(int32_t frames);
    void setActive(bool active);
    void setProgram(int32_t program);
    int32_t program();
    std::string programName();
    void renameProgram(const std::string& name);
    std::string parameterTitle(int32_t index);
    std::string parameterUnit(int32_t index);
    std::string parameterText(int32_t index);
    std::string vendorName();
    // A copy of the plug-in's chunk: one program or the whole bank.
    std::vector<uint8_t> saveChunk(bool isProgram);
    intptr_t restoreChunk(std::vector<uint8_t> chunk, bool isProgram);

    HostSettings& settings() { return hostSettings; }
    std::vector<HostCall> calls() const;
    size_t countCalls(int32_t opcode) const;
    void clearCalls();

  private:
    static intptr_t receive(EffectRecord* record, int32_t opcode, int32_t index, intptr_t value,
                            void* ptr, float opt);
    intptr_t answer(const HostCall& call, void* ptr);
    std::string askText(int32_t opcode, int32_t index);

    HostSettings hostSettings;
    EffectRecord* plugin = nullptr;
    mutable std::mutex callsLock;
    std::vector<HostCall> recordedCalls;
};

}  // namespace marrowfold
