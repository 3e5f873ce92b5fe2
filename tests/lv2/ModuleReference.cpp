#include "tests/lv2/ModuleReference.h"

#include <sndfile.h>

#include <algorithm>
#include <stdexcept>

#include "host/ParameterProtocol.h"
#include "tests/tools/ToolTestSupport.h"

namespace marrowfold::testing {

namespace {

constexpr float kRate = 44100.0f;

const PluginModule& referenceModule() {
    static PluginModule module;
    if (!module.isOpen() && !module.open(MARROWFOLD_MODULE_PATH))
        throw std::runtime_error(module.error());
    return module;
}

}  // namespace

BandControls startingBands() {
    PluginHost host;
    if (!host.create(referenceModule())) throw std::runtime_error("the module did not start");
    return readModuleBands(*host.record());
}

std::vector<float> testSignal(int64_t frames) {
    return makeSignal(2, static_cast<int32_t>(kRate), frames, SF_FORMAT_WAV | SF_FORMAT_FLOAT)
        .samples;
}

std::vector<float> moduleOutput(const std::vector<float>& stereo, int32_t block,
                                const std::function<void(PluginHost&)>& configure) {
    PluginHost host;
    if (!host.create(referenceModule())) throw std::runtime_error("the module did not start");
    host.setSampleRate(kRate);
    host.setBlockSize(block);
    if (configure) configure(host);
    host.setActive(true);
    std::vector<float> left(static_cast<size_t>(block)), right(left), outLeft(left), outRight(left);
    float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {outLeft.data(), outRight.data()};
    std::vector<float> output(stereo.size());
    const size_t total = stereo.size() / 2;
    for (size_t done = 0; done < total; done += static_cast<size_t>(block)) {
        const size_t count = std::min<size_t>(static_cast<size_t>(block), total - done);
        for (size_t n = 0; n < count; ++n) {
            left[n] = stereo[2 * (done + n)];
            right[n] = stereo[2 * (done + n) + 1];
        }
        host.processReplace(inputs, outputs, static_cast<int32_t>(count));
        for (size_t n = 0; n < count; ++n) {
            output[2 * (done + n)] = outLeft[n];
            output[2 * (done + n) + 1] = outRight[n];
        }
    }
    return output;
}

}  // namespace marrowfold::testing
