#pragma once

// The module's own processing, driven directly through its record: what the bridge's output
// must equal sample for sample.

#include <cstdint>
#include <functional>
#include <vector>

#include "host/PluginHost.h"
#include "params/BandControls.h"

namespace marrowfold::testing {

// Interleaved stereo through a fresh instance at 44.1 kHz in blocks of `block` frames, after
// `configure` has made its requests.
std::vector<float> moduleOutput(const std::vector<float>& stereo, int32_t block,
                                const std::function<void(PluginHost&)>& configure = {});

// The edges, drives and solo of a freshly started module: the band ports' defaults.
BandControls startingBands();

// A few seconds of the render tool's test signal, interleaved stereo.
std::vector<float> testSignal(int64_t frames);

}  // namespace marrowfold::testing
