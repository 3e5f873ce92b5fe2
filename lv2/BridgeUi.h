#pragma once

#include <lv2/ui/ui.h>

#include <array>
#include <cstdint>
#include <memory>

#include "lv2/HolderWindow.h"
#include "lv2/ModuleInstance.h"
#include "lv2/PortLayout.h"

namespace marrowfold::lv2 {

// The module's own editor inside the host's window, reached through the plug-in instance the
// host shares (instance-access). Host port changes reach the editor through the instance's
// run(); the module's own changes go back to the host as port writes: at once for the editor's
// automation, and from idle for changes without one (program switches, state restores), which
// idle finds by watching the module's values, never by comparing them with the ports, so a host
// change on its way to run() is not written back.
class BridgeUi final : public EditorLink {
  public:
    // Null without instance-access, without an editor in the module, or without a display.
    static std::unique_ptr<BridgeUi> create(LV2UI_Write_Function write, LV2UI_Controller controller,
                                            const LV2_Feature* const* features,
                                            LV2UI_Widget* widget);
    BridgeUi(const BridgeUi&) = delete;
    BridgeUi& operator=(const BridgeUi&) = delete;
    ~BridgeUi() override;

    int idle();
    void portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);

    void automate(int32_t parameter, float normalized) override;
    void touch(int32_t control, bool grabbed) override;
    bool resize(int32_t width, int32_t height) override;

  private:
    BridgeUi(ModuleInstance& instance, LV2UI_Write_Function write, LV2UI_Controller controller);
    bool open(Window parent);
    void takeFeatures(const LV2_Feature* const* features);
    void watchModule();
    void watchBands();
    void writePort(uint32_t port, float value);

    ModuleInstance& module;
    LV2UI_Write_Function writeFunction;
    LV2UI_Controller controller;
    const LV2UI_Resize* hostResize = nullptr;
    const LV2UI_Touch* hostTouch = nullptr;
    HolderWindow holder;
    bool editorOpen = false;
    // The ports' values as the host last told or the UI last wrote them.
    std::array<float, PortCount> portValues;
    // The module's values as idle last saw them.
    std::array<float, HostControlCount> moduleValues{};  // by control
    int32_t moduleProgram = 0;
};

}  // namespace marrowfold::lv2
