// The module's only exported symbol. C++ reserves the name `main` for programs, so the entry
// function has another name in the code and the symbol name `main` in the module.
#include "effect/PluginEntry.h"

#ifdef MARROWFOLD_WITH_EDITOR
#include "editor/MultibandEditor.h"
#endif

namespace {

#ifdef MARROWFOLD_WITH_EDITOR
constexpr marrowfold::EditorFactory kEditorFactory = &marrowfold::MultibandEditor::create;
#else
constexpr marrowfold::EditorFactory kEditorFactory = nullptr;
#endif

}  // namespace

// On Windows the module definition file exports the function as `main`; elsewhere an assembler
// label gives it that symbol name.
#ifdef _WIN32
extern "C" marrowfold::EffectRecord* moduleEntry(marrowfold::HostCallback callback);
#else
extern "C" __attribute__((visibility("default"))) marrowfold::EffectRecord* moduleEntry(
    marrowfold::HostCallback callback) __asm__("main");
#endif

marrowfold::EffectRecord* moduleEntry(marrowfold::HostCallback callback) {
    return marrowfold::createPlugin(callback, kEditorFactory);
}
