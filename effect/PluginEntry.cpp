#include "effect/PluginEntry.h"

#include <memory>

namespace marrowfold {

EffectRecord* createPlugin(HostCallback callback, EditorFactory editorFactory) {
    if (callback == nullptr) return nullptr;
    if (callback(nullptr, HostVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    try {
        auto effect = std::make_unique<MultibandEffect>(callback, editorFactory);
        if (!effect->initialize()) return nullptr;
        // From here on the host owns the effect through its record; the close request frees it.
        return effect.release()->effectRecord();
    } catch (...) {
        return nullptr;
    }
}

}  // namespace marrowfold
