#pragma once

#include <cstdint>

#include "core/HostEditor.h"
#include "platform/ScaleFactor.h"

namespace marrowfold {

class Control;
class Frame;

// Ties an editor to the toolkit: reports the editor rectangle, keeps the host's window, owns the
// frame pointer while the window is open, paces idle calls for long mouse-tracking loops, and
// forwards wheel turns and knob-mode choices to the frame. The derived editor builds the frame
// in attach and deletes it in detach.
class EditorBase : public HostEditor {
  public:
    static constexpr int32_t kInfoTextBytes = 64;

    explicit EditorBase(HostEffectExt* effect);
    ~EditorBase() override;

    int32_t getBounds(EditorRect** rect) override;
    int32_t attach(void* parentWindow) override;
    void idle() override;
    int32_t chooseKnobMode(int32_t mode) override;
    int32_t wheelTurned(float distance) override;
    // Takes a factor from 1 to 4 for the next window; the open one keeps its own.
    int32_t hostScaleFactor(float factor) override;

    // Device pixels per logical pixel: the open window's, else the host's factor, else the
    // desktop's. Views work in logical pixels; only the rectangle and resize requests to the
    // host speak device pixels.
    double scaleFactor() const;

    // Called from whatever thread delivers a host parameter write: only requests a refresh.
    virtual void parameterChanged(int32_t index, float value);
    virtual void redrawFrame();
    // The idle pump of mouse-tracking loops: runs the idle at most every 50 to 100 ms, paints
    // one pending paint and lets the host idle.
    virtual void pumpIdle();
    virtual float defaultValueFor(Control* control);
    virtual int32_t setInfoTexts(const char* text1, const char* text2, const char* text3);

    // The knob mode the host chose last (0 circular, 1 relative circular, 2 linear).
    static int32_t knobMode();

    // What the frame asks of the host on the toolkit's behalf.
    bool tellBeginEdit(int32_t tag);
    bool tellEndEdit(int32_t tag);
    bool askHostResize(int32_t width, int32_t height);

    Frame* getFrame() const { return frame; }
    HostEffectExt* hostEffect() const { return effect; }
    bool idling() const { return inIdle; }
    uint32_t nextIdleAt() const { return nextIdleTime; }
    const char* infoText(int32_t which) const { return infoTexts[which]; }

  protected:
    // In logical pixels; the host is answered these times the scale factor.
    EditorRect bounds{0, 0, 0, 0};
    Frame* frame = nullptr;
    uint32_t nextIdleTime = 0;
    bool inIdle = false;
    char infoTexts[3][kInfoTextBytes];

  private:
    // The host's factor when it gave one, else the desktop's.
    double wantedScaleFactor() const;

    EditorRect scaledBounds{0, 0, 0, 0};
    // The host's factor, 0 until it gives one; the factor the window was made at.
    double hostScale = 0.0;
    double windowScale = kSmallestScaleFactor;
    // The desktop's factor as last asked, 0 until asked.
    mutable double desktopScale = 0.0;
};

}  // namespace marrowfold
