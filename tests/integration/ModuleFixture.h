#pragma once

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "host/PluginHost.h"
#include "host/PluginModule.h"

namespace marrowfold::testing {

// The built module, opened once per test program with the dynamic loader as a host does.
inline const PluginModule& builtModule() {
    static PluginModule module;
    if (!module.isOpen()) {
        const char* path = std::getenv("MARROWFOLD_MODULE");
        module.open(path ? path : MARROWFOLD_MODULE_PATH);
    }
    return module;
}

// A test that talks to one fresh plug-in instance through its record.
class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(builtModule().isOpen()) << builtModule().error();
        ASSERT_TRUE(host.create(builtModule()));
    }

    PluginHost host;
};

// Stereo blocks for feeding the module.
struct StereoBuffers {
    explicit StereoBuffers(int32_t frames)
        : left(frames), right(frames), outLeft(frames), outRight(frames) {}
    float** inputs() {
        inputPointers[0] = left.data();
        inputPointers[1] = right.data();
        return inputPointers;
    }
    float** outputs() {
        outputPointers[0] = outLeft.data();
        outputPointers[1] = outRight.data();
        return outputPointers;
    }
    std::vector<float> left, right, outLeft, outRight;
    float* inputPointers[2] = {};
    float* outputPointers[2] = {};
};

}  // namespace marrowfold::testing
