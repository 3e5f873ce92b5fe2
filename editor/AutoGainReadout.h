#pragma once

#include <string>

#include "gui/View.h"

namespace marrowfold {

class Bitmap;

// The gain auto gain applies, as a line of small text over the panel beside Out ("AUTO -12.3
// dB"), shown only while auto gain is on. Until it has been shown it draws nothing, so the panel
// stays exactly as it is; once hidden again it repaints the bare panel under it.
class AutoGainReadout : public View {
  public:
    // panel: the picture behind the whole frame, of which the readout shows its own rectangle.
    AutoGainReadout(const Rect& size, Bitmap* panel);

    // Asks for a repaint only when the text would change; off hides the readout.
    void show(bool on, float decibels);
    const std::string& text() const { return text_; }

    void draw(Canvas* context) override;

  private:
    Bitmap* panel_;
    std::string text_;  // empty while hidden
    bool drawn_ = false;
};

}  // namespace marrowfold
