#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace marrowfold {

// Room for a new preset's name: the name dialog keeps at most 17 characters of what was typed.
inline constexpr int32_t kNewPresetNameBytes = 32;

// The modal "Create" dialog that asks for the name of a new preset. OK with an empty field keeps
// it open. True when a name was confirmed; it is then in name (cut to 17 characters). Cancel
// answers false and leaves the last text OK was pressed with in name.
bool askNewPresetName(WindowId owner, char (&name)[kNewPresetNameBytes]);

// The question before a preset is deleted, naming the whole preset name.
std::string deleteQuestion(const std::string& presetName);

// Asks the delete question; true on yes.
bool confirmPresetDelete(WindowId owner, const std::string& presetName);

}  // namespace marrowfold
