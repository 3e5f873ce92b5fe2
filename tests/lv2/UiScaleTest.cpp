// The bundle's UI in a host of this process that passes ui:scaleFactor: the editor opens at the
// host's factor, the widget and the host's resize agree with it, and Edit doubles the scaled
// width.

#include <gtest/gtest.h>
// Xlib's macros must follow the test framework's headers.
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <string>
#include <vector>

#include "tests/lv2/BundleHost.h"
#include "tests/platform/X11HostWindow.h"
#include "tests/platform/XvfbSession.h"

namespace marrowfold::testing {
namespace {

constexpr int kHostBackground = 0x202020;

struct Size {
    int width;
    int height;
    bool operator==(const Size&) const = default;
};

// The UI's side of the host: the URIDs it maps and the sizes it asks for.
struct UiHost {
    std::vector<std::string> uris;
    std::vector<Size> resizes;

    static LV2_URID map(LV2_URID_Map_Handle handle, const char* uri) {
        auto& known = static_cast<UiHost*>(handle)->uris;
        for (size_t i = 0; i < known.size(); ++i)
            if (known[i] == uri) return static_cast<LV2_URID>(i + 1);
        known.emplace_back(uri);
        return static_cast<LV2_URID>(known.size());
    }
    static int resize(LV2UI_Feature_Handle handle, int width, int height) {
        static_cast<UiHost*>(handle)->resizes.push_back({width, height});
        return 0;
    }
};

Size windowSize(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!window || !XGetWindowAttributes(display, window, &attributes)) return {0, 0};
    return {attributes.width, attributes.height};
}

// The module's editor window inside the UI's widget, or 0.
Window editorIn(Display* display, Window widget) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, widget, &root, &parent, &children, &count)) return 0;
    const Window editor = count > 0 ? children[0] : 0;
    if (children) XFree(children);
    return editor;
}

void noWrite(LV2UI_Controller, uint32_t, uint32_t, uint32_t, const void*) {}

TEST(UiScale, TheUiOpensAtTheHostsScaleFactorAndEditDoublesTheScaledWidth) {
    if (!XvfbSession::shared().ready()) GTEST_SKIP() << XvfbSession::shared().problem();
    BundleHost plugin(MARROWFOLD_LV2_BUNDLE);
    ASSERT_TRUE(plugin.instantiate());
    void* library = dlopen((std::string(MARROWFOLD_LV2_BUNDLE) + "/marrowfold_ui.so").c_str(),
                           RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto descriptorOf =
        reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
    ASSERT_NE(descriptorOf, nullptr);
    const LV2UI_Descriptor* ui = descriptorOf(0);
    ASSERT_NE(ui, nullptr);

    X11HostWindow window(0, 0, 1600, 500, kHostBackground);
    UiHost host;
    LV2_URID_Map map{&host, &UiHost::map};
    LV2UI_Resize resize{&host, &UiHost::resize};
    const float factor = 2.0f;
    const LV2_Options_Option options[] = {
        {LV2_OPTIONS_INSTANCE, 0, UiHost::map(&host, LV2_UI__scaleFactor), sizeof(float),
         UiHost::map(&host, LV2_ATOM__Float), &factor},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Feature mapFeature{LV2_URID__map, &map};
    const LV2_Feature optionsFeature{LV2_OPTIONS__options,
                                     const_cast<LV2_Options_Option*>(options)};
    const LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(window.window())};
    const LV2_Feature resizeFeature{LV2_UI__resize, &resize};
    const LV2_Feature instanceFeature{LV2_INSTANCE_ACCESS_URI, plugin.handle()};
    const LV2_Feature* features[] = {&mapFeature,    &optionsFeature,  &parentFeature,
                                     &resizeFeature, &instanceFeature, nullptr};

    LV2UI_Widget widget = nullptr;
    LV2UI_Handle handle =
        ui->instantiate(ui, ui->URI, MARROWFOLD_LV2_BUNDLE, noWrite, nullptr, &widget, features);
    ASSERT_NE(handle, nullptr);
    const auto holder = reinterpret_cast<Window>(widget);
    EXPECT_EQ(windowSize(window.display(), holder), (Size{728, 426}));
    EXPECT_EQ(windowSize(window.display(), editorIn(window.display(), holder)), (Size{728, 426}));
    ASSERT_FALSE(host.resizes.empty());
    EXPECT_EQ(host.resizes.back(), (Size{728, 426}));

    // Edit, clicked where it lies at the factor, as a user would.
    const auto* idle =
        static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);
    const pid_t hand = XvfbSession::scriptAsync("xdotool mousemove 660 390 click 1");
    pollUntil([&] { idle->idle(handle); }, [&] { return XvfbSession::finished(hand); }, 10000);
    pollUntil([&] { idle->idle(handle); }, [&] { return host.resizes.back().width == 1456; }, 5000);
    EXPECT_EQ(host.resizes.back(), (Size{1456, 426}));
    EXPECT_EQ(windowSize(window.display(), editorIn(window.display(), holder)), (Size{1456, 426}));

    ui->cleanup(handle);
    dlclose(library);
}

}  // namespace
}  // namespace marrowfold::testing
