#pragma once

#include <cstdint>

namespace marrowfold {

// What the effect tells its editor object, whether or not the editor's window is open. The
// editor object is owned through the HostEditor it also is; this interface never deletes it.
class EditorNotifications {
  public:
    // A parameter was written; for indices 0..7 `value` is the normalised value given.
    // Called from whatever thread wrote the parameter.
    virtual void parameterChanged(int32_t index, float value) = 0;
    // A data parameter was loaded: the editor stores it in the model and refreshes its copy.
    virtual void dataChanged(int32_t index, const void* data, int32_t length, int32_t slot) = 0;
    virtual void sampleRateChanged(float rate) = 0;
    // 1 while the host has not yet announced a block size after the effect started.
    virtual void setHostFreshFlag(int32_t flag) = 0;

  protected:
    ~EditorNotifications() = default;
};

}  // namespace marrowfold
