#pragma once

// A view that paints itself in one colour and records what the frame asked of it.

#include <functional>
#include <string>
#include <vector>

#include "gui/Canvas.h"
#include "gui/View.h"

namespace marrowfold::testing {

class ProbeView : public View {
  public:
    ProbeView(const Rect& size, Color colour, std::vector<std::string>* journal = nullptr,
              std::string name = "view")
        : View(size), colour_(colour), journal_(journal), name_(std::move(name)) {}

    void draw(Canvas* context) override {
        draws++;
        if (!context) return;
        context->setFillColour(colour_);
        const Rect r = bounds();
        context->fillRect({r.left - 1, r.top - 1, r.right, r.bottom});
    }
    void mousePressed(Canvas*, Point where) override {
        presses.push_back(where);
        note("press");
        if (onPress) onPress();
    }
    bool dropReceived(Canvas*, const char* const* data, int32_t count, int32_t kind,
                      Point) override {
        drops++;
        lastDropKind = kind;
        lastDropCount = count;
        if (count > 0 && data) lastDropFirst = data[0];
        return acceptDrops;
    }
    bool wheelMoved(Canvas*, Point where, float distance) override {
        wheelAt = where;
        wheelDistance = distance;
        wheels++;
        return true;
    }
    void releaseFocus(Canvas*) override {
        focusReleases++;
        note("releaseFocus");
    }
    bool attachedTo(View*) override {
        attaches++;
        return true;
    }
    bool detachedFrom(View*) override {
        detaches++;
        return true;
    }
    ~ProbeView() override {
        if (deleted) *deleted = true;
    }

    std::vector<Point> presses;
    int draws = 0;
    int drops = 0;
    int lastDropKind = -1;
    int lastDropCount = 0;
    std::string lastDropFirst;
    bool acceptDrops = false;
    int wheels = 0;
    Point wheelAt;
    float wheelDistance = 0;
    int focusReleases = 0;
    int attaches = 0;
    int detaches = 0;
    bool* deleted = nullptr;
    std::function<void()> onPress;

  private:
    void note(const std::string& what) {
        if (journal_) journal_->push_back(name_ + ":" + what);
    }
    Color colour_;
    std::vector<std::string>* journal_;
    std::string name_;
};

}  // namespace marrowfold::testing
