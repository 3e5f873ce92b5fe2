// The plug-in binary's entry: one LV2 descriptor whose functions forward to a Bridge.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <cstring>
#include <new>

#include "lv2/Bridge.h"
#include "lv2/BundleUris.h"

namespace marrowfold::lv2 {
namespace {

Bridge* bridgeOf(LV2_Handle handle) {
    return static_cast<Bridge*>(handle);
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char* bundlePath,
                       const LV2_Feature* const* features) {
    try {
        return Bridge::create(rate, bundlePath, features).release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
    bridgeOf(handle)->connect(port, data);
}

void activate(LV2_Handle handle) {
    bridgeOf(handle)->activate();
}

void run(LV2_Handle handle, uint32_t frames) {
    bridgeOf(handle)->run(frames);
}

void deactivate(LV2_Handle handle) {
    bridgeOf(handle)->deactivate();
}

void cleanup(LV2_Handle handle) {
    delete bridgeOf(handle);
}

LV2_State_Status saveState(LV2_Handle handle, LV2_State_Store_Function store,
                           LV2_State_Handle state, uint32_t, const LV2_Feature* const*) {
    try {
        return bridgeOf(handle)->save(store, state);
    } catch (const std::bad_alloc&) {
        return LV2_STATE_ERR_NO_SPACE;
    }
}

LV2_State_Status restoreState(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                              LV2_State_Handle state, uint32_t, const LV2_Feature* const*) {
    try {
        return bridgeOf(handle)->restore(retrieve, state);
    } catch (const std::bad_alloc&) {
        return LV2_STATE_ERR_NO_SPACE;
    }
}

const LV2_State_Interface kStateInterface = {saveState, restoreState};

const void* extensionData(const char* uri) {
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &kStateInterface : nullptr;
}

const LV2_Descriptor kDescriptor = {kPluginUri, instantiate, connectPort, activate,
                                    run,        deactivate,  cleanup,     extensionData};

}  // namespace
}  // namespace marrowfold::lv2

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &marrowfold::lv2::kDescriptor : nullptr;
}
