#pragma once

#include "core/HostEffect.h"

namespace marrowfold {

// The second interface generation: requests 25..68 with their defaults, and the host services
// of that generation. Every service answers its documented default when there is no host.
class HostEffectExt : public HostEffect {
  public:
    HostEffectExt(HostCallback hostCallback, int32_t programs, int32_t parameters);

    intptr_t handleRequest(int32_t opcode, const RequestArgs& args) override;

    virtual void askWantEvents(int32_t filter);
    virtual void* askTimeInfo(int32_t filter);
    virtual int32_t askTempoAt(int32_t samplePosition);
    virtual int32_t acceptEvents(void* events);
    virtual int32_t askAutomatableCount();
    virtual int32_t askQuantization();
    virtual bool canAutomate(int32_t index);
    virtual bool parameterFromText(int32_t index, char* text);
    virtual float channelParameter(int32_t channel, int32_t index);
    virtual int32_t categoryCount();
    virtual bool indexedProgramName(int32_t category, int32_t index, char* text);
    virtual bool copyProgramTo(int32_t destination);
    virtual bool tellIoChanged();
    virtual bool tellNeedIdle();
    virtual bool askResizeWindow(int32_t width, int32_t height);
    virtual float refreshSampleRate();
    virtual int32_t refreshBlockSize();
    virtual int32_t askInputLatency();
    virtual int32_t askOutputLatency();
    virtual void* askPreviousPlug(int32_t ignored);
    virtual void* askNextPlug(int32_t ignored);
    virtual void inputWired(int32_t index, bool state);
    virtual void outputWired(int32_t index, bool state);
    virtual bool inputInfo(int32_t index, void* info);
    virtual bool outputInfo(int32_t index, void* info);
    virtual int32_t pluginCategory();
    virtual int32_t askReplaceOrAccumulate();
    virtual int32_t askProcessLevel();
    virtual int32_t askAutomationState();
    virtual void enableAsync(bool state);
    virtual void enableExternalBuffer(bool state);
    virtual int32_t currentPosition();
    virtual int32_t destinationBuffer();
    virtual bool askOfflineRead(void* task, int32_t option, bool readSource);
    virtual bool askOfflineWrite(void* task, int32_t option);
    virtual bool askOfflineStart(void* files, int32_t count, int32_t newCount);
    virtual bool askOfflinePass();
    virtual bool askOfflineMetaPass();
    virtual bool offlineFilesChanged(void* files, int32_t count, bool start);
    virtual bool offlineGetReady(void* tasks, int32_t count);
    virtual bool offlineProcess(void* tasks, int32_t count);
    virtual int32_t offlinePassCount();
    virtual int32_t offlineMetaPassCount();
    virtual void askSetOutputRate(float rate);
    virtual bool askSpeakers(void* input, void* output);
    virtual bool askHostVendor(char* text);
    virtual bool askHostProduct(char* text);
    virtual int32_t askHostVendorVersion();
    virtual int32_t askHostVendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
    virtual bool askHostCapability(char* text);
    virtual void enableInstrument(bool state);
    virtual void enableNoTail(bool state);
    virtual int32_t askHostLanguage();
    virtual void* askOpenWindow(void* description);
    virtual bool askCloseWindow(void* window);
    virtual void* askDirectory();
    virtual bool tellUpdateDisplay();
    virtual bool variableIo(void* io);
    virtual bool setSpeakers(void* input, void* output);
    virtual void setBlockAndRate(int32_t frames, float rate);
    virtual bool switchBypass(bool state);
    virtual bool effectName(char* text);
    virtual bool errorText(char* text);
    virtual bool vendorName(char* text);
    virtual bool productName(char* text);
    virtual int32_t vendorVersion();
    virtual int32_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
    virtual int32_t supportsCapability(char* text);
    virtual int32_t icon();
    virtual bool moveView(int32_t x, int32_t y);
    virtual int32_t tailSize();
    virtual int32_t idleRequest();
    virtual bool parameterInfo(int32_t index, void* info);
    virtual bool keysNeeded();
    virtual int32_t interfaceVersion();
    virtual int32_t midiProgramName(int32_t channel, void* name);
    virtual int32_t midiCurrentProgram(int32_t channel, void* name);
    virtual int32_t midiProgramCategory(int32_t channel, void* category);
    virtual bool midiProgramsChanged(int32_t channel);
    virtual bool midiKeyName(int32_t channel, void* keyName);
    virtual bool beginProgramLoad();
    virtual bool endProgramLoad();
    virtual bool tellBeginEdit(int32_t index);
    virtual bool tellEndEdit(int32_t index);
    virtual bool askFileSelector(void* selector);

  private:
    // A host service answering a number, or `fallback` without a host.
    intptr_t askHost(intptr_t fallback, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                     void* ptr = nullptr, float opt = 0.0f);
    // A host service answering yes or no: false without a host.
    bool askHostBool(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
    intptr_t forwardKey(const RequestArgs& args, bool pressed);

    using RequestHandler = intptr_t (*)(HostEffectExt& effect, const RequestArgs& args);
    using RequestTable = std::array<RequestHandler, kLastExtRequest - kFirstExtRequest + 1>;
    struct Requests;
    static const RequestTable requestHandlers;
};

}  // namespace marrowfold
