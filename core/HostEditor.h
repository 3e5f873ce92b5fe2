#pragma once

#include <atomic>
#include <cstdint>

#include "core/EffectRecord.h"

namespace marrowfold {

class HostEffectExt;

// The editor rectangle in the layout the host reads.
struct EditorRect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

// A key event handed to the editor.
struct KeyRecord {
    int32_t character;
    uint8_t virtualKey;
    uint8_t modifiers;
};

// The editor interface the dispatcher talks to; every operation has a neutral default.
class HostEditor {
  public:
    explicit HostEditor(HostEffectExt* owner);
    HostEditor(const HostEditor&) = delete;
    HostEditor& operator=(const HostEditor&) = delete;
    virtual ~HostEditor();

    virtual int32_t getBounds(EditorRect** rect);
    virtual int32_t attach(void* parentWindow);
    virtual void detach();
    virtual void idle();
    virtual void refresh();
    virtual void requestRefresh();
    virtual int32_t keyPressed(KeyRecord* key);
    virtual int32_t keyReleased(KeyRecord* key);
    virtual int32_t chooseKnobMode(int32_t mode);
    virtual int32_t wheelTurned(float distance);
    // The host's scale factor for the editor (device pixels per logical pixel); answers 1 when
    // the editor takes it.
    virtual int32_t hostScaleFactor(float factor);

  protected:
    HostEffectExt* effect;
    void* systemWindow = nullptr;
    // Set by parameter notifications from any thread, cleared by the idle.
    std::atomic<int32_t> refreshPending{0};
};

}  // namespace marrowfold
