#pragma once

#include <array>
#include <cstdint>

#include "core/EffectRecord.h"

namespace marrowfold {

class HostEditor;

// The arguments of one request, as the dispatcher received them.
struct RequestArgs {
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;

    // The value as the int32 a 32-bit host passes.
    int32_t valueAsInt() const { return static_cast<int32_t>(value); }
    // The value as the address a host may pass in it.
    void* valueAsPointer() const { return reinterpret_cast<void*>(value); }
};

// Base of an effect: owns the record handed to the host, answers every request of the first
// interface generation with a neutral default and offers the host services of that generation.
class HostEffect {
  public:
    HostEffect(HostCallback hostCallback, int32_t programs, int32_t parameters);
    HostEffect(const HostEffect&) = delete;
    HostEffect& operator=(const HostEffect&) = delete;
    virtual ~HostEffect();

    EffectRecord* effectRecord() { return &record; }
    static HostEffect* fromRecord(EffectRecord* effectRecord);

    // The editor object registers itself here; the effect owns it from then on.
    void registerEditor(HostEditor* newEditor);
    HostEditor* editorObject() const { return editor; }

    virtual void writeParameter(int32_t index, float value);
    virtual float readParameter(int32_t index);
    virtual int32_t writeParameterAutomated(int32_t index, float value);
    virtual void processAdd(float** inputs, float** outputs, int32_t frames) = 0;
    virtual void processReplace(float** inputs, float** outputs, int32_t frames);
    virtual intptr_t handleRequest(int32_t opcode, const RequestArgs& args);
    virtual void onOpen();
    virtual void onClose();
    virtual int32_t programIndex();
    virtual void selectProgram(int32_t program);
    virtual void renameProgram(char* name);
    virtual void copyProgramName(char* dst);
    virtual void copyParameterUnit(int32_t index, char* dst);
    virtual void copyParameterText(int32_t index, char* dst);
    virtual void copyParameterTitle(int32_t index, char* dst);
    virtual float meterLevel();
    virtual int32_t saveState(void** data, bool isProgram);
    virtual int32_t restoreState(void* data, int32_t bytes, bool isProgram);
    virtual void changeSampleRate(float rate);
    virtual void changeBlockSize(int32_t frames);
    virtual void onDeactivate();
    virtual void onActivate();
    virtual void assignPluginId(int32_t id);
    virtual void assignInputCount(int32_t count);
    virtual void assignOutputCount(int32_t count);
    virtual void enableVuMeter(bool state);
    virtual void enableClipMeter(bool state);
    virtual void enableMono(bool state);
    virtual void enableReplacing(bool state);
    virtual void enableChunkState(bool state);
    virtual void assignRealtimeQualities(int32_t qualities);
    virtual void assignOfflineQualities(int32_t qualities);
    virtual void assignLatency(int32_t samples);
    virtual float currentSampleRate();
    virtual int32_t currentBlockSize();
    virtual int32_t askHostVersion();
    virtual int32_t askCurrentId();
    virtual void askHostIdle();
    virtual bool isInputWired(int32_t index);
    virtual bool isOutputWired(int32_t index);
    virtual void formatDecibels(float gain, char* dst);
    virtual void formatHertz(float samples, char* dst);
    virtual void formatMilliseconds(float samples, char* dst);
    virtual void formatFloat(float value, char* dst);
    virtual void formatInteger(int32_t value, char* dst);

  protected:
    // One host call with the record as first argument; the caller checks `callback` first.
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setFlag(int32_t flag, bool state);
    bool hasFlag(int32_t flag) const { return (record.flags & flag) != 0; }

    float sampleRate;
    HostEditor* editor;
    HostCallback callback;
    int32_t programCount;
    int32_t parameterCount;
    int32_t currentProgram;
    int32_t blockSize;
    EffectRecord record;

  private:
    using RequestHandler = intptr_t (*)(HostEffect& effect, const RequestArgs& args);
    using RequestTable = std::array<RequestHandler, kLastBaseRequest + 1>;
    struct Requests;
    static const RequestTable requestHandlers;
    void initialiseRecord();
};

}  // namespace marrowfold
