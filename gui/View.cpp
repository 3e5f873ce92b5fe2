#include "gui/View.h"

#include "gui/Frame.h"

namespace marrowfold {

View::View(const Rect& size) : size_(size) {}

View::~View() = default;

void View::draw(Canvas*) {}
void View::mousePressed(Canvas*, Point) {}

void View::redrawIfDirty(Canvas* context) {
    if (!needsRedraw()) return;
    draw(context);
    setNeedsRedraw(false);
}

bool View::dropReceived(Canvas*, const char* const*, int32_t, int32_t, Point) {
    return false;
}
bool View::wheelMoved(Canvas*, Point, float) {
    return false;
}
void View::releaseFocus(Canvas*) {}
void View::acquireFocus(Canvas*) {}
bool View::needsRedraw() const {
    return dirty_;
}
void View::setNeedsRedraw(bool flag) {
    dirty_ = flag;
}
void View::enableMouse(bool flag) {
    mouseEnabled_ = flag;
}
bool View::mouseEnabled() const {
    return mouseEnabled_;
}
bool View::containsPoint(Point where) const {
    return size_.containsInclusive(where);
}
void View::setSeeThrough(bool flag) {
    transparent_ = flag;
}
bool View::isSeeThrough() const {
    return transparent_;
}

void View::setBounds(const Rect& rect) {
    size_ = rect;
    setNeedsRedraw(true);
}

void View::assignFrame(Frame* frame) {
    parentFrame_ = frame;
}

EditorBase* View::ownerEditor() const {
    return parentFrame_ ? parentFrame_->ownerEditor() : nullptr;
}

bool View::detachedFrom(View*) {
    return true;
}
bool View::attachedTo(View*) {
    return true;
}

void View::release() {
    if (--referenceCount_ <= 0) delete this;
}

void View::retain() {
    referenceCount_++;
}
int32_t View::retainCount() const {
    return referenceCount_;
}

}  // namespace marrowfold
