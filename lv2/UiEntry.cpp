// The UI binary's entry: one X11 UI descriptor whose functions forward to a BridgeUi.
#include <lv2/ui/ui.h>

#include <cstring>
#include <new>

#include "lv2/BridgeUi.h"
#include "lv2/BundleUris.h"

namespace marrowfold::lv2 {
namespace {

BridgeUi* uiOf(LV2UI_Handle handle) {
    return static_cast<BridgeUi*>(handle);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char*, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    try {
        return BridgeUi::create(write, controller, features, widget).release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void cleanup(LV2UI_Handle handle) {
    delete uiOf(handle);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
    uiOf(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle) {
    return uiOf(handle)->idle();
}

const LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri) {
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdleInterface : nullptr;
}

const LV2UI_Descriptor kDescriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace
}  // namespace marrowfold::lv2

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &marrowfold::lv2::kDescriptor : nullptr;
}
