#pragma once

#include <cstddef>
#include <vector>

#include "tests/common/ClickTest.h"

namespace marrowfold::clicktest {

// A change between blocks as played on the click test's tone: the output, and the sample where
// the change's last step landed (kStepAt for a change made at once).
struct PlayedChange {
    std::vector<float> output;
    size_t lastChange = kStepAt;
};

// What addedDecibels answers when a change adds nothing at all.
inline constexpr double kNoClick = -400.0;
// A change may not raise the output more than this above the settled output.
inline constexpr double kBurstDecibels = 0.5;
// A switch between settings is held to what the ideal crossfade between them adds, plus this.
inline constexpr double kIdealMarginDecibels = 3.0;

struct Measured {
    double floor;  // the meter over the settled stretch before the change
    double click;  // the meter from before the first step to after the last
    double added;  // what the change adds to the settled outputs around it
    double burst;  // dB of the loudest sample there over the louder settled stretch
};

// What a change adds above 5 kHz to what the settings on either side of it make themselves,
// which a distorting preset's harmonics fill far above any click, in dBFS.
double addedDecibels(const PlayedChange& played);
Measured measure(const PlayedChange& played);

// What the best a switch can do adds: the settled output of the setting before crossfaded into
// the settled output of the setting after along the glide curve from kStepAt.
double idealAddedDecibels(const std::vector<float>& before, const std::vector<float>& after);

}  // namespace marrowfold::clicktest
