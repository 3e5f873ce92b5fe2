#include "editor/EditorDialogs.h"

#include <algorithm>
#include <cstring>

#include "params/PresetTemplate.h"

namespace marrowfold {

namespace {

constexpr const char* kNameDialogTitle = "Create";
constexpr const char* kNameDialogPrompt = "Name of new Preset";
constexpr const char* kNameDialogNote = "Don't forget to save your presets !";
constexpr const char* kDeleteTitle = "Delete";
constexpr const char* kDeleteQuestionStart = "Do you realy want to delete \" ";
constexpr const char* kDeleteQuestionEnd = " \"?";

// Copies at most the longest preset name's worth of typed, with the terminating zero.
void takeTypedName(const std::string& typed, char (&name)[kNewPresetNameBytes]) {
    static_assert(kMaxPresetNameLength < kNewPresetNameBytes);
    const size_t length = std::min(typed.size(), static_cast<size_t>(kMaxPresetNameLength));
    std::memcpy(name, typed.data(), length);
    name[length] = '\0';
}

}  // namespace

bool askNewPresetName(WindowId owner, char (&name)[kNewPresetNameBytes]) {
    NameDialogSpec spec;
    spec.title = kNameDialogTitle;
    spec.prompt = kNameDialogPrompt;
    spec.note = kNameDialogNote;
    spec.acceptText = [&name](const std::string& typed) {
        takeTypedName(typed, name);
        return name[0] != '\0';
    };
    const std::optional<std::string> answer = currentPlatform().askName(owner, spec);
    if (!answer) return false;
    takeTypedName(*answer, name);
    return name[0] != '\0';
}

std::string deleteQuestion(const std::string& presetName) {
    return kDeleteQuestionStart + presetName + kDeleteQuestionEnd;
}

bool confirmPresetDelete(WindowId owner, const std::string& presetName) {
    return currentPlatform().askYesNo(owner, kDeleteTitle, deleteQuestion(presetName));
}

}  // namespace marrowfold
