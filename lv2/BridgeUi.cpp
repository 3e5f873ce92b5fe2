#include "lv2/BridgeUi.h"

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "core/HostEditor.h"
#include "core/VendorRequests.h"
#include "lv2/Bridge.h"

namespace marrowfold::lv2 {

namespace {

// Port and module values closer than this share one value: what the conversion between them
// rounds away.
constexpr float kSameValue = 1e-4f;

const void* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (const LV2_Feature* const* feature = features; feature && *feature; ++feature) {
        if (std::strcmp((*feature)->URI, uri) == 0) return (*feature)->data;
    }
    return nullptr;
}

bool sameValue(float a, float b) {
    return std::fabs(a - b) <= kSameValue;
}

// The host's ui:scaleFactor among the options it passes, or 0 when it passes none.
float offeredScaleFactor(const LV2_Feature* const* features) {
    const auto* map = static_cast<const LV2_URID_Map*>(findFeature(features, LV2_URID__map));
    const auto* option =
        static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
    if (map == nullptr || option == nullptr) return 0.0f;
    const LV2_URID scaleKey = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
    for (; option->key != 0 || option->value != nullptr; ++option) {
        if (option->key == scaleKey && option->type == floatType && option->size == sizeof(float) &&
            option->value != nullptr) {
            return *static_cast<const float*>(option->value);
        }
    }
    return 0.0f;
}

}  // namespace

std::unique_ptr<BridgeUi> BridgeUi::create(LV2UI_Write_Function write, LV2UI_Controller controller,
                                           const LV2_Feature* const* features,
                                           LV2UI_Widget* widget) {
    auto* bridge =
        static_cast<Bridge*>(const_cast<void*>(findFeature(features, LV2_INSTANCE_ACCESS_URI)));
    if (bridge == nullptr || !bridge->module().hasEditor() || write == nullptr) return nullptr;
    std::unique_ptr<BridgeUi> ui(new BridgeUi(bridge->module(), write, controller));
    ui->takeFeatures(features);
    ui->module.dispatch(ReqVendorSpecific, kBandGestureIndex, kBandGestureOnValue);
    if (const float factor = offeredScaleFactor(features); factor > 0.0f) {
        ui->module.dispatch(ReqVendorSpecific, kScaleRequestIndex, kScaleRequestValue, nullptr,
                            factor);
    }
    const auto parent = reinterpret_cast<Window>(findFeature(features, LV2_UI__parent));
    if (!ui->open(parent)) return nullptr;
    *widget = reinterpret_cast<LV2UI_Widget>(ui->holder.id());
    return ui;
}

BridgeUi::BridgeUi(ModuleInstance& instance, LV2UI_Write_Function write,
                   LV2UI_Controller hostController)
    : module(instance), writeFunction(write), controller(hostController) {
    portValues.fill(std::numeric_limits<float>::quiet_NaN());
    for (int32_t control = 0; control < HostControlCount; ++control) {
        if (hostControl(control).isParameter())
            moduleValues[static_cast<size_t>(control)] =
                module.getParameter(hostControl(control).parameter);
    }
    BandControls bands = module.bands();
    for (int32_t control = 0; control < HostControlCount; ++control) {
        if (hostControl(control).isBandValue())
            moduleValues[static_cast<size_t>(control)] = bandValue(bands, control);
    }
    moduleProgram = module.program();
}

void BridgeUi::takeFeatures(const LV2_Feature* const* features) {
    hostResize = static_cast<const LV2UI_Resize*>(findFeature(features, LV2_UI__resize));
    hostTouch = static_cast<const LV2UI_Touch*>(findFeature(features, LV2_UI__touch));
}

// The editor reports its size before and after it opens (its layout depends on the host's
// answers), so the holder takes the size it has once open.
bool BridgeUi::open(Window parent) {
    EditorRect* rect = nullptr;
    module.dispatch(ReqEditorRect, 0, 0, &rect);
    if (rect == nullptr ||
        !holder.create(parent, rect->right - rect->left, rect->bottom - rect->top))
        return false;
    module.attach(this);
    module.dispatch(ReqEditorOpen, 0, 0, reinterpret_cast<void*>(holder.id()));
    editorOpen = true;
    module.dispatch(ReqEditorRect, 0, 0, &rect);
    if (rect != nullptr) resize(rect->right - rect->left, rect->bottom - rect->top);
    return true;
}

BridgeUi::~BridgeUi() {
    if (editorOpen) module.dispatch(ReqEditorClose);
    module.detach(this);
}

int BridgeUi::idle() {
    module.dispatch(ReqEditorIdle);
    watchModule();
    holder.fillParent();
    holder.drainEvents();
    return 0;
}

void BridgeUi::watchModule() {
    for (int32_t control = 0; control < HostControlCount; ++control) {
        if (!hostControl(control).isParameter()) continue;
        const float value = module.getParameter(hostControl(control).parameter);
        float& seen = moduleValues[static_cast<size_t>(control)];
        if (value == seen) continue;
        seen = value;
        const float portValue = toPortValue(control, value);
        if (!sameValue(portValue, portValues[portOfControl(control)]))
            writePort(portOfControl(control), portValue);
    }
    watchBands();
    const int32_t program = module.program();
    if (program == moduleProgram) return;
    moduleProgram = program;
    if (clampToProgram(portValues[programPort()]) != program)
        writePort(programPort(), static_cast<float>(program));
}

// An edge or drive dragged in the editor, or a solo switched there, reaches its port.
void BridgeUi::watchBands() {
    BandControls bands = module.bands();
    for (int32_t control = 0; control < HostControlCount; ++control) {
        if (!hostControl(control).isBandValue()) continue;
        const float value = bandValue(bands, control);
        float& seen = moduleValues[static_cast<size_t>(control)];
        if (value == seen) continue;
        seen = value;
        if (!sameValue(value, portValues[portOfControl(control)]))
            writePort(portOfControl(control), value);
    }
}

void BridgeUi::portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer) {
    if (format != 0 || bufferSize != sizeof(float) || buffer == nullptr || port >= PortCount)
        return;
    std::memcpy(&portValues[port], buffer, sizeof(float));
}

void BridgeUi::writePort(uint32_t port, float value) {
    portValues[port] = value;
    writeFunction(controller, port, sizeof value, 0, &value);
}

void BridgeUi::automate(int32_t parameter, float normalized) {
    const int32_t control = controlOfParameter(parameter);
    if (control < 0) return;
    moduleValues[static_cast<size_t>(control)] = normalized;
    writePort(portOfControl(control), toPortValue(control, normalized));
}

void BridgeUi::touch(int32_t control, bool grabbed) {
    if (hostTouch != nullptr) hostTouch->touch(hostTouch->handle, portOfControl(control), grabbed);
}

bool BridgeUi::resize(int32_t width, int32_t height) {
    holder.resize(width, height);
    if (hostResize != nullptr) hostResize->ui_resize(hostResize->handle, width, height);
    return true;
}

}  // namespace marrowfold::lv2
