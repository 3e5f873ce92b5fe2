#pragma once

#include <cstdint>

#include "gui/Geometry.h"

namespace marrowfold {

class Canvas;
class EditorBase;
class Frame;

// The base of everything drawn in a frame. Views are reference counted: the creator holds the
// first reference, a frame that takes the view over holds it from then on.
class View {
  public:
    explicit View(const Rect& size);
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    virtual void draw(Canvas* context);
    virtual void mousePressed(Canvas* context, Point where);
    // Draws when dirty and then is no longer dirty.
    virtual void redrawIfDirty(Canvas* context);
    // kind 0: data holds count file names; kind 1: data[0] is a text of count bytes.
    virtual bool dropReceived(Canvas* context, const char* const* data, int32_t count, int32_t kind,
                              Point where);
    virtual bool wheelMoved(Canvas* context, Point where, float distance);
    virtual void releaseFocus(Canvas* context);
    virtual void acquireFocus(Canvas* context);
    virtual bool needsRedraw() const;
    virtual void setNeedsRedraw(bool flag);
    virtual void enableMouse(bool flag);
    virtual bool mouseEnabled() const;
    // Inclusive of all four edges.
    virtual bool containsPoint(Point where) const;
    virtual void setSeeThrough(bool flag);
    virtual bool isSeeThrough() const;
    virtual void setBounds(const Rect& rect);
    virtual void assignFrame(Frame* frame);
    virtual EditorBase* ownerEditor() const;
    virtual bool detachedFrom(View* parent);
    virtual bool attachedTo(View* parent);
    // Drops a reference and deletes the view when none is left.
    virtual void release();
    virtual void retain();
    virtual int32_t retainCount() const;

    const Rect& bounds() const { return size_; }
    Frame* parentFrame() const { return parentFrame_; }

  protected:
    virtual ~View();

    Rect size_;

  private:
    int32_t referenceCount_ = 1;
    Frame* parentFrame_ = nullptr;
    bool dirty_ = true;
    bool mouseEnabled_ = true;
    bool transparent_ = false;
};

}  // namespace marrowfold
