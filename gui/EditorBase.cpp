#include "gui/EditorBase.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/HostEffectExt.h"
#include "gui/Frame.h"
#include "platform/Platform.h"

namespace marrowfold {

namespace {

constexpr uint32_t kPumpSleepMs = 4;
constexpr uint32_t kIdleLeadMs = 50;
constexpr uint32_t kIdleIntervalMs = 100;
constexpr const char* kUnsetInfoText = "????????????";
constexpr size_t kLongestInfoText = 62;

int32_t chosenKnobMode = 0;

// How long until the next paced idle, 0 when it is due. The next idle is never set more than
// one interval ahead, so a wrapped distance beyond that means its time has passed: this holds
// across the wrap of the tick count (every 49.7 days) and after any pause without pumping.
uint32_t msUntil(uint32_t next, uint32_t now) {
    const uint32_t distance = next - now;
    return distance <= kIdleIntervalMs ? distance : 0;
}

int16_t scaledEdge(int16_t logical, double factor) {
    return static_cast<int16_t>(toDevicePixels(logical, factor));
}

}  // namespace

EditorBase::EditorBase(HostEffectExt* effect) : HostEditor(effect) {
    if (effect) effect->registerEditor(this);
    nextIdleTime = currentPlatform().tickCount();
    for (char* text : infoTexts)
        std::strcpy(text, kUnsetInfoText);
}

EditorBase::~EditorBase() = default;

// At factor 1 the host reads the logical rectangle itself, as it always did.
int32_t EditorBase::getBounds(EditorRect** rect) {
    const double factor = scaleFactor();
    if (factor == kSmallestScaleFactor) {
        if (rect) *rect = &bounds;
        return 1;
    }
    scaledBounds = {scaledEdge(bounds.top, factor), scaledEdge(bounds.left, factor),
                    scaledEdge(bounds.bottom, factor), scaledEdge(bounds.right, factor)};
    if (rect) *rect = &scaledBounds;
    return 1;
}

int32_t EditorBase::attach(void* parentWindow) {
    requestRefresh();
    systemWindow = parentWindow;
    // The window system may know the factor of the host's window better than the desktop's.
    desktopScale = hostScale > 0.0 ? 0.0
                                   : usableScaleFactor(currentPlatform().windowScaleFactor(
                                         reinterpret_cast<WindowId>(parentWindow)));
    currentPlatform().setScaleFactor(wantedScaleFactor());
    windowScale = currentPlatform().scaleFactor();
    return 0;
}

int32_t EditorBase::hostScaleFactor(float factor) {
    if (!std::isfinite(factor) || factor < kSmallestScaleFactor || factor > kLargestScaleFactor)
        return 0;
    hostScale = factor;
    return 1;
}

double EditorBase::scaleFactor() const {
    return frame ? windowScale : wantedScaleFactor();
}

// The desktop's factor is asked once and again at each opening: asking may mean a round trip
// to the window system, and hosts ask for the rectangle often.
double EditorBase::wantedScaleFactor() const {
    Platform& platform = currentPlatform();
    if (hostScale == 0.0 && desktopScale == 0.0)
        desktopScale = usableScaleFactor(platform.desktopScaleFactor());
    const double wanted = hostScale > 0.0 ? hostScale : desktopScale;
    return std::min(wanted, platform.largestScaleFactor());
}

void EditorBase::idle() {
    if (inIdle) return;
    if (refreshPending.exchange(0) != 0) {
        refresh();
    }
    if (!frame) return;
    currentPlatform().dispatchEvents();
    if (frame) frame->idle();
}

int32_t EditorBase::chooseKnobMode(int32_t mode) {
    chosenKnobMode = mode;
    return 1;
}

int32_t EditorBase::knobMode() {
    return chosenKnobMode;
}

int32_t EditorBase::wheelTurned(float distance) {
    return frame && frame->wheelMoved(nullptr, {0, 0}, distance) ? 1 : 0;
}

void EditorBase::parameterChanged(int32_t, float) {
    requestRefresh();
}

void EditorBase::redrawFrame() {
    if (frame) frame->redrawNow(nullptr);
}

void EditorBase::pumpIdle() {
    Platform& platform = currentPlatform();
    uint32_t now = platform.tickCount();
    if (msUntil(nextIdleTime, now) > 0) {
        platform.sleep(kPumpSleepMs);
        now += kPumpSleepMs;
        if (msUntil(nextIdleTime, now) > kIdleLeadMs) return;
    }
    idle();
    platform.dispatchOnePaint();
    nextIdleTime = now + kIdleIntervalMs;
    if (effect) {
        inIdle = true;
        effect->askHostIdle();
        inIdle = false;
    }
}

float EditorBase::defaultValueFor(Control*) {
    return 0.0f;
}

int32_t EditorBase::setInfoTexts(const char* text1, const char* text2, const char* text3) {
    const char* texts[3] = {text1, text2, text3};
    bool copied[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (texts[i] && std::strlen(texts[i]) <= kLongestInfoText) {
            std::strcpy(infoTexts[i], texts[i]);
            copied[i] = true;
        }
    }
    const size_t length = text3 ? std::strlen(text3) : 0;
    return static_cast<int32_t>(length) + (copied[2] ? 1 : 0);
}

bool EditorBase::tellBeginEdit(int32_t tag) {
    return effect && effect->tellBeginEdit(tag);
}
bool EditorBase::tellEndEdit(int32_t tag) {
    return effect && effect->tellEndEdit(tag);
}

bool EditorBase::askHostResize(int32_t width, int32_t height) {
    const double factor = scaleFactor();
    return effect &&
           effect->askResizeWindow(toDevicePixels(width, factor), toDevicePixels(height, factor));
}

}  // namespace marrowfold
