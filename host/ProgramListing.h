#pragma once

#include <string>
#include <vector>

#include "host/ChunkFormat.h"

namespace marrowfold {

// The programs and their presets as a table: index, name, shape, In and Out.
std::string formatProgramListing(const std::vector<ChunkProgram>& programs,
                                 const std::string& gainUnit);

}  // namespace marrowfold
