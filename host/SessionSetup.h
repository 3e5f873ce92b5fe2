#pragma once

#include <string>

#include "host/EffectSession.h"
#include "host/RenderOptions.h"

namespace marrowfold {

// Applies the command line's choices to a prepared instance: the state file and the program
// (a bank chunk before the program is chosen, a program chunk into the chosen program), then
// the preset, then each --set in the order given, then the oversampling and the anti-aliasing.
// Throws ToolError for a bad choice or file.
void configureSession(EffectSession& session, const RenderOptions& options);

}  // namespace marrowfold
