#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/EffectRecord.h"
#include "host/PluginModule.h"
#include "params/BandControls.h"
#include "params/HostControls.h"

namespace marrowfold::lv2 {

// What the module's editor asks of the host's window and automation, answered by the bridge's
// UI while one is attached. Called on the thread the module asks from: the UI's own thread, as
// the editor runs there. The link ignores parameters that are not host controls.
class EditorLink {
  public:
    virtual ~EditorLink() = default;
    virtual void automate(int32_t parameter, float normalized) = 0;
    // The user took a host control in the editor (a knob, an edge's or a drive's handle) or let
    // it go; control is its key.
    virtual void touch(int32_t control, bool grabbed) = 0;
    virtual bool resize(int32_t width, int32_t height) = 0;
};

// One instance of the module, opened from a file and driven only through its record. Answers
// everything the module asks the host: version, rate, block size, wiring (both channels of each
// side are always wired), product and vendor texts; automation, edit gestures and window sizes go
// to the attached EditorLink. Unlike the render tool's host it records nothing, so it may answer
// on the audio thread and for a whole session.
class ModuleInstance {
  public:
    ModuleInstance() = default;
    ModuleInstance(const ModuleInstance&) = delete;
    ModuleInstance& operator=(const ModuleInstance&) = delete;
    ~ModuleInstance();

    // Loads the file, starts the module and checks that it is the stereo effect with the
    // parameters the ports expect; false with error() set otherwise.
    bool open(const std::string& path);
    const std::string& error() const { return lastError; }

    // Sample rate and largest block, each of which rebuilds the module's engine.
    void prepare(float sampleRate, int32_t maxBlock);
    int32_t maxBlock() const { return blockLimit; }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setParameter(int32_t index, float value) {
        record->setParameterEntry(record, index, value);
    }
    float getParameter(int32_t index) { return record->getParameterEntry(record, index); }
    void process(float** inputs, float** outputs, int32_t frames) {
        record->processReplaceEntry(record, inputs, outputs, frames);
    }
    int32_t program() { return static_cast<int32_t>(dispatch(ReqGetProgram)); }
    // The shaping's oversampling through the module's vendor request; false, changing nothing,
    // when the module refuses the factor. Takes effect at the start of the next block without
    // allocating, so the audio thread may ask.
    bool setOversampling(int32_t factor);
    int32_t oversampling() const { return oversamplingFactor; }
    // The dry/wet mix in percent and the bypass, through the module's vendor requests, which
    // only store the setting for the next block: the audio thread may ask. False, changing
    // nothing, when the module refuses.
    bool setMix(float percent);
    float mix() const { return mixPercent; }
    bool setEnabled(bool on);
    bool enabled() const { return processing; }
    // The shaping's anti-aliasing, as the oversampling above.
    bool setAntialiasing(bool on);
    bool antialiasing() const { return antialiased; }
    // Auto gain through the module's vendor request, which only stores the setting for the next
    // block: the audio thread may ask. False, changing nothing, when the module refuses.
    bool setAutoGain(bool on);
    bool autoGain() const { return autoGainOn; }
    // The gain auto gain applied in the last block, in dB, as the module tells it.
    float autoGainDecibels();
    // Makes changes of the gains, the mix and the bypass glide instead of stepping.
    bool setSmoothing(bool on);
    // The current preset's edges and drives and the solo, read and edited through the module's
    // band request, which clamps as the band editor does. Any thread, the audio thread included.
    BandControls bands();
    bool editBands(BandControls& wanted);
    int32_t latency() const { return record->latency; }
    bool hasEditor() const { return (record->flags & FlagEditor) != 0; }
    EffectRecord& effectRecord() { return *record; }

    void attach(EditorLink* link) { editorLink.store(link); }
    void detach(const EditorLink* link);

  private:
    static intptr_t receive(EffectRecord* from, int32_t opcode, int32_t index, intptr_t value,
                            void* ptr, float opt);
    intptr_t answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    bool checkRecord();
    bool vendorRequest(int32_t index, int32_t value, float argument);
    static intptr_t tellBandGesture(EditorLink* link, intptr_t control, float taken);

    PluginModule module;
    EffectRecord* record = nullptr;
    float rate = 0.0f;
    int32_t blockLimit = 0;
    int32_t oversamplingFactor = kDefaultOversamplingFactor;
    float mixPercent = kFullMixPercent;
    bool processing = true;
    bool antialiased = false;
    bool autoGainOn = false;
    std::atomic<EditorLink*> editorLink{nullptr};
    std::string lastError;
};

}  // namespace marrowfold::lv2
