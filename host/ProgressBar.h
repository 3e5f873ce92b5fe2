#pragma once

#include <cstdint>
#include <cstdio>

namespace marrowfold {

// A one-line progress bar redrawn in place on a terminal; draws nothing when disabled.
class ProgressBar {
  public:
    ProgressBar(std::FILE* stream, int64_t total, bool enabled);
    ~ProgressBar();

    void update(int64_t done);
    // Clears the bar so that later output starts on a clean line.
    void finish();

    // True when `stream` is a terminal and the work is long enough to be worth a bar.
    static bool wanted(std::FILE* stream, double seconds);

  private:
    std::FILE* stream;
    int64_t total;
    bool enabled;
    int32_t shownPercent = -1;
};

}  // namespace marrowfold
