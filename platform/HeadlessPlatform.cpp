#include "platform/HeadlessPlatform.h"

#include <algorithm>

#include "platform/ModuleVersion.h"

namespace marrowfold {

HeadlessPlatform::HeadlessPlatform() = default;

std::string HeadlessPlatform::moduleFileVersion() {
    return kModuleVersionText;
}

HeadlessPlatform::~HeadlessPlatform() = default;

std::unique_ptr<DrawingSurface> HeadlessPlatform::createPicture(int32_t width, int32_t height) {
    return CairoSurface::picture(width, height, scaleFactor());
}

std::unique_ptr<DrawingSurface> HeadlessPlatform::loadBitmap(int32_t resourceId) {
    return CairoSurface::embeddedBitmap(resourceId);
}

HeadlessPlatform::Window* HeadlessPlatform::find(WindowId window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

const HeadlessPlatform::Window* HeadlessPlatform::window(WindowId window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

WindowId HeadlessPlatform::createHostWindow(WindowId parent, const std::string& className,
                                            PixelRect rect) {
    const WindowId id = nextWindow_++;
    Window& created = windows_[id];
    created.parent = parent;
    created.className = className;
    created.screenRect = rect;
    return id;
}

WindowId HeadlessPlatform::createChildWindow(WindowId parent, const std::string& className,
                                             int32_t width, int32_t height, WindowEvents* events) {
    const Window* host = find(parent);
    if (!host || width <= 0 || height <= 0) return kNoWindow;
    const PixelRect rect{host->screenRect.left, host->screenRect.top, host->screenRect.left + width,
                         host->screenRect.top + height};
    const WindowId id = createHostWindow(parent, className, rect);
    Window& created = windows_[id];
    created.surface = CairoSurface::picture(width, height, scaleFactor());
    classes_.insert(className);
    created.events = events;
    pendingPaints_.push_back(id);
    return id;
}

void HeadlessPlatform::windowClassUnused(const std::string& className) {
    classes_.erase(className);
}

void HeadlessPlatform::destroyWindow(WindowId window) {
    Window* found = find(window);
    if (!found) return;
    for (auto it = fields_.begin(); it != fields_.end();) {
        it = it->second.window == window ? fields_.erase(it) : std::next(it);
    }
    std::erase(pendingPaints_, window);
    windows_.erase(window);
}

void HeadlessPlatform::destroyFromOutside(WindowId window) {
    Window* found = find(window);
    if (!found) return;
    if (found->events) found->events->windowDestroyed();
    destroyWindow(window);
}

std::shared_ptr<DrawingSurface> HeadlessPlatform::windowSurface(WindowId window) {
    Window* found = find(window);
    return found ? found->surface : nullptr;
}

cairo_surface_t* HeadlessPlatform::windowPixels(WindowId window) {
    Window* found = find(window);
    return found && found->surface ? found->surface->surface() : nullptr;
}

void HeadlessPlatform::flushWindow(WindowId window) {
    if (Window* found = find(window); found && found->surface) found->surface->flush();
}

PixelRect HeadlessPlatform::windowRect(WindowId window) {
    Window* found = find(window);
    return found ? found->screenRect : PixelRect{};
}

WindowId HeadlessPlatform::parentWindow(WindowId window) {
    Window* found = find(window);
    return found ? found->parent : kNoWindow;
}

std::string HeadlessPlatform::windowClassName(WindowId window) {
    Window* found = find(window);
    return found ? found->className : std::string();
}

// A resized surface keeps what was drawn where the old and new sizes overlap, as a window does.
static std::unique_ptr<CairoSurface> resizedSurface(CairoSurface& old, int32_t width,
                                                    int32_t height) {
    std::unique_ptr<CairoSurface> surface = CairoSurface::picture(width, height, old.scale());
    surface->copyFrom(old, {0, 0, width, height}, {0, 0});
    return surface;
}

void HeadlessPlatform::resizeWindow(WindowId window, int32_t width, int32_t height) {
    Window* found = find(window);
    if (!found || width <= 0 || height <= 0) return;
    found->screenRect.right = found->screenRect.left + width;
    found->screenRect.bottom = found->screenRect.top + height;
    found->resizeCount++;
    if (found->surface) {
        found->surface = resizedSurface(*found->surface, width, height);
        invalidate(window);
    }
}

bool HeadlessPlatform::acceptDrops(WindowId window, bool accept) {
    Window* found = find(window);
    if (!found) return false;
    found->acceptsDrops = accept;
    return accept;
}

// The current step gives way only after a poll has seen it and its time is over.
void HeadlessPlatform::advanceMouseScript() {
    const bool due = stepSeen_ && clock_ - stepStartedAt_ >= mouse_.holdMs;
    if (due && !mouseQueue_.empty()) {
        mouse_ = mouseQueue_.front();
        mouseQueue_.pop_front();
        stepStartedAt_ = clock_;
    }
    stepSeen_ = true;
}

uint32_t HeadlessPlatform::mouseState() {
    clock_ += kPollCostMs;
    advanceMouseScript();
    return mouse_.state;
}

PixelPoint HeadlessPlatform::cursorPosition() {
    return {mouse_.x, mouse_.y};
}

PointerShape HeadlessPlatform::windowCursor(WindowId window) {
    Window* found = find(window);
    return found ? found->cursor : PointerShape::Arrow;
}

void HeadlessPlatform::setWindowCursor(WindowId window, PointerShape shape) {
    if (Window* found = find(window)) found->cursor = shape;
}

void HeadlessPlatform::sleep(uint32_t milliseconds) {
    clock_ += milliseconds;
    slept_ += milliseconds;
}

void HeadlessPlatform::invalidate(WindowId window) {
    if (!paintPending(window) && find(window)) pendingPaints_.push_back(window);
}

bool HeadlessPlatform::paintPending(WindowId window) const {
    return std::find(pendingPaints_.begin(), pendingPaints_.end(), window) != pendingPaints_.end();
}

bool HeadlessPlatform::dispatchOnePaint() {
    while (!pendingPaints_.empty()) {
        const WindowId id = pendingPaints_.front();
        pendingPaints_.pop_front();
        Window* found = find(id);
        if (!found || !found->events) continue;
        found->events->paintRequested(found->surface.get());
        return true;
    }
    return false;
}

void HeadlessPlatform::dispatchEvents() {
    while (dispatchOnePaint()) {
    }
}

void HeadlessPlatform::setMouse(int32_t screenX, int32_t screenY, uint32_t state) {
    mouseQueue_.clear();
    mouse_ = MouseStep{screenX, screenY, state, 1};
    stepStartedAt_ = clock_;
    stepSeen_ = false;
}

void HeadlessPlatform::queueMouse(const std::vector<MouseStep>& steps) {
    mouseQueue_.insert(mouseQueue_.end(), steps.begin(), steps.end());
}

PixelPoint HeadlessPlatform::toScreen(WindowId window, int32_t x, int32_t y) {
    const PixelRect rect = windowRect(window);
    return {rect.left + x, rect.top + y};
}

void HeadlessPlatform::press(WindowId window, int32_t x, int32_t y, uint32_t state) {
    Window* found = find(window);
    if (!found || !found->events) return;
    const PixelPoint screen = toScreen(window, x, y);
    mouse_ = MouseStep{screen.x, screen.y, state, kPressHoldMs};
    stepStartedAt_ = clock_;
    stepSeen_ = false;
    found->events->buttonPressed({x, y});
}

bool HeadlessPlatform::drop(WindowId window, DropKind kind, const std::vector<std::string>& items,
                            PixelPoint where) {
    Window* found = find(window);
    if (!found || !found->events || !found->acceptsDrops) return false;
    return found->events->dropArrived(kind, items, where);
}

EditFieldId HeadlessPlatform::openEditField(WindowId window, const EditFieldSpec& spec,
                                            EditFieldEvents* events) {
    if (!find(window)) return kNoEditField;
    const EditFieldId id = nextField_++;
    fields_[id] = EditField{window, spec, spec.text, true, events};
    return id;
}

std::string HeadlessPlatform::editFieldText(EditFieldId field) {
    auto it = fields_.find(field);
    return it == fields_.end() ? std::string() : it->second.text;
}

void HeadlessPlatform::closeEditField(EditFieldId field) {
    fields_.erase(field);
}

HeadlessPlatform::EditField* HeadlessPlatform::openField() {
    return fields_.empty() ? nullptr : &fields_.begin()->second;
}

void HeadlessPlatform::typeAndEnter(const std::string& text) {
    EditField* field = openField();
    if (!field) return;
    field->text = text;
    field->allSelected = false;
    field->events->editingFinished();
}

void HeadlessPlatform::loseEditFocus() {
    if (EditField* field = openField()) field->events->editingFinished();
}

void HeadlessPlatform::queueNameAnswers(const std::vector<NameDialogAnswer>& answers) {
    nameAnswers_.insert(nameAnswers_.end(), answers.begin(), answers.end());
}

void HeadlessPlatform::queueYesNoAnswers(const std::vector<bool>& answers) {
    yesNoAnswers_.insert(yesNoAnswers_.end(), answers.begin(), answers.end());
}

// Plays the queued answers until one closes the dialog; an exhausted script cancels.
std::optional<std::string> HeadlessPlatform::askName(WindowId, const NameDialogSpec& spec) {
    nameDialogs_++;
    while (!nameAnswers_.empty()) {
        const NameDialogAnswer answer = nameAnswers_.front();
        nameAnswers_.pop_front();
        if (!answer.ok) return std::nullopt;
        if (!spec.acceptText || spec.acceptText(answer.text)) return answer.text;
    }
    return std::nullopt;
}

bool HeadlessPlatform::askYesNo(WindowId, const std::string& title, const std::string& text) {
    lastQuestionTitle_ = title;
    lastQuestion_ = text;
    if (yesNoAnswers_.empty()) return false;
    const bool answer = yesNoAnswers_.front();
    yesNoAnswers_.pop_front();
    return answer;
}

bool HeadlessPlatform::savePng(WindowId window, const std::string& path) {
    Window* found = find(window);
    if (!found || !found->surface) return false;
    found->surface->flush();
    return cairo_surface_write_to_png(found->surface->surface(), path.c_str()) ==
           CAIRO_STATUS_SUCCESS;
}

}  // namespace marrowfold
