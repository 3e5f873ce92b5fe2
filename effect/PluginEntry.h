#pragma once

#include "core/EffectRecord.h"
#include "effect/MultibandEffect.h"

namespace marrowfold {

// The module entry's work: asks the host's version, builds and initialises the effect, and
// answers its record, or null when the host cannot take the plug-in or the effect cannot start.
EffectRecord* createPlugin(HostCallback callback, EditorFactory editorFactory);

}  // namespace marrowfold
