#include "host/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <string>

namespace marrowfold {

namespace {

constexpr int32_t kBarWidth = 40;
constexpr int32_t kPercent = 100;
// Shorter inputs render before anyone would look at a bar.
constexpr double kShortestWorthABar = 5.0;

}  // namespace

ProgressBar::ProgressBar(std::FILE* output, int64_t totalWork, bool show)
    : stream(output), total(std::max<int64_t>(totalWork, 1)), enabled(show) {}

ProgressBar::~ProgressBar() {
    finish();
}

bool ProgressBar::wanted(std::FILE* output, double seconds) {
    return seconds > kShortestWorthABar && isatty(fileno(output));
}

void ProgressBar::update(int64_t done) {
    if (!enabled) return;
    const auto percent =
        static_cast<int32_t>(std::clamp<int64_t>(done * kPercent / total, 0, kPercent));
    if (percent == shownPercent) return;
    shownPercent = percent;
    const int32_t filled = percent * kBarWidth / kPercent;
    const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
    std::fprintf(stream, "\r[%s] %3d%%", bar.c_str(), percent);
    std::fflush(stream);
}

void ProgressBar::finish() {
    if (!enabled || shownPercent < 0) return;
    std::fprintf(stream, "\r%*s\r", kBarWidth + 8, "");
    std::fflush(stream);
    shownPercent = -1;
}

}  // namespace marrowfold
