// --set in real units: parsing and refusals, and the host-side ranges checked against the
// module itself, which shows each value it receives as text.
#include "host/HostParameters.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "host/PluginHost.h"
#include "host/PluginModule.h"
#include "host/ToolError.h"

namespace marrowfold {
namespace {

TEST(HostParameters, RealValuesBecomeHostValuesOnTheParametersSteps) {
    struct Case {
        const char* setting;
        int32_t index;
        float normalized;
    };
    const Case cases[] = {
        {"In=6", 4, 0.65f},      {"in=6", 4, 0.65f},        {"SHAPE=3", 6, 0.75f},
        {"Band1=-12", 0, 0.0f},  {"Band4=12", 3, 1.0f},     {"Out=-20", 5, 0.0f},
        {"Out=0", 5, 0.5f},      {"In=6.04", 4, 0.65f},     {"In=6.06", 4, 0.6525f},
        {"Shape=2.6", 6, 0.75f}, {"Preset=0.25", 7, 0.25f}, {"Band2=+1.5", 1, 0.5625f},
    };
    for (const Case& c : cases) {
        const HostParameterWrite write = parseParameterSetting(c.setting);
        EXPECT_EQ(write.index, c.index) << c.setting;
        EXPECT_NEAR(write.normalized, c.normalized, 1e-6f) << c.setting;
    }
}

TEST(HostParameters, RefusesWhatCannotBeSet) {
    for (const char* setting :
         {"In", "=3", "Drive=1", "In=", "In=abc", "In=6dB", "In=nan", "In=inf", "In=+-3", "In=++3",
          "In=20.01", "In=-21", "Shape=4.5", "Band3=13", "Preset=1.5", "Preset=-0.1"})
        EXPECT_THROW(parseParameterSetting(setting), ToolError) << setting;
}

// Every range end set through the record comes back from the module as that value.
TEST(HostParameters, RangesAgreeWithTheModule) {
    PluginModule module;
    ASSERT_TRUE(module.open(MARROWFOLD_MODULE_PATH)) << module.error();
    PluginHost host;
    ASSERT_TRUE(host.create(module));
    for (const HostParameterRange& range : hostParameterRanges()) {
        if (range.name == "Preset") continue;  // shows the selected preset, not the value set
        for (const float value :
             {range.minValue, range.maxValue, (range.minValue + range.maxValue) / 2}) {
            char setting[64];
            std::snprintf(setting, sizeof setting, "%s=%g", std::string(range.name).c_str(),
                          static_cast<double>(value));
            const HostParameterWrite write = parseParameterSetting(setting);
            EXPECT_EQ(host.parameterTitle(write.index), range.name);
            host.setParameter(write.index, write.normalized);
            char shown[32];
            std::snprintf(shown, sizeof shown, "%.1f", static_cast<double>(value));
            EXPECT_EQ(host.parameterText(write.index), shown) << setting;
        }
    }
}

}  // namespace
}  // namespace marrowfold
