#pragma once

#include <cstdint>
#include <vector>

#include "core/HostEditor.h"
#include "core/HostEffectExt.h"

namespace marrowfold::testing {

// One call the plug-in made to the recording host.
struct RecordedHostCall {
    EffectRecord* record;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

// A host callback that records every call and answers `nextAnswer`.
struct RecordingHost {
    static inline std::vector<RecordedHostCall> calls;
    static inline intptr_t nextAnswer = 0;
    static void reset() {
        calls.clear();
        nextAnswer = 0;
    }
    static intptr_t receive(EffectRecord* record, int32_t opcode, int32_t index, intptr_t value,
                            void* ptr, float opt) {
        calls.push_back({record, opcode, index, value, ptr, opt});
        return nextAnswer;
    }
};

// An effect of the second interface generation that counts what the dispatcher reaches.
class ProbeEffect : public HostEffectExt {
  public:
    explicit ProbeEffect(HostCallback hostCallback = nullptr, bool* destroyedFlag = nullptr)
        : HostEffectExt(hostCallback, 4, 8), destroyed(destroyedFlag) {}
    ~ProbeEffect() override {
        if (destroyed) *destroyed = true;
    }

    void processAdd(float**, float**, int32_t) override {}
    void onActivate() override { ++activations; }
    void onDeactivate() override { ++deactivations; }
    void changeSampleRate(float rate) override {
        ++sampleRateChanges;
        HostEffectExt::changeSampleRate(rate);
    }
    void changeBlockSize(int32_t frames) override {
        ++blockSizeChanges;
        HostEffectExt::changeBlockSize(frames);
    }
    void selectProgram(int32_t program) override {
        selectedPrograms.push_back(program);
        HostEffectExt::selectProgram(program);
    }
    float meterLevel() override { return meter; }
    bool indexedProgramName(int32_t category, int32_t index, char*) override {
        lastCategory = category;
        lastIndex = index;
        return true;
    }
    bool switchBypass(bool state) override { return bypassed = state; }
    int32_t tailSize() override {
        if (throwOnTail) throw 42;
        return 7;
    }

    float storedSampleRate() const { return sampleRate; }
    int32_t storedBlockSize() const { return blockSize; }
    using HostEffectExt::hasFlag;

    bool* destroyed;
    int activations = 0;
    int deactivations = 0;
    int sampleRateChanges = 0;
    int blockSizeChanges = 0;
    std::vector<int32_t> selectedPrograms;
    float meter = 0.0f;
    int32_t lastCategory = -1;
    int32_t lastIndex = -1;
    bool bypassed = false;
    bool throwOnTail = false;
};

// An editor that records the requests the dispatcher forwards to it.
class ProbeEditor : public HostEditor {
  public:
    explicit ProbeEditor(HostEffectExt* owner, bool* destroyedFlag = nullptr)
        : HostEditor(owner), destroyed(destroyedFlag) {}
    ~ProbeEditor() override {
        if (destroyed) *destroyed = true;
    }
    int32_t getBounds(EditorRect** rect) override {
        *rect = &bounds;
        return 1;
    }
    int32_t attach(void* parentWindow) override {
        attachedTo = parentWindow;
        return 0;
    }
    void detach() override { ++detaches; }
    void idle() override { ++idles; }
    int32_t keyPressed(KeyRecord* key) override {
        lastKey = *key;
        return 1;
    }
    int32_t keyReleased(KeyRecord* key) override {
        lastKey = *key;
        return 2;
    }
    int32_t chooseKnobMode(int32_t mode) override {
        knobMode = mode;
        return 1;
    }
    int32_t wheelTurned(float distance) override {
        wheel = distance;
        return wheelAnswer;
    }

    bool* destroyed;
    EditorRect bounds{0, 0, 213, 364};
    void* attachedTo = nullptr;
    int detaches = 0;
    int idles = 0;
    KeyRecord lastKey{};
    int32_t knobMode = -1;
    float wheel = 0.0f;
    int32_t wheelAnswer = 1;
};

}  // namespace marrowfold::testing
