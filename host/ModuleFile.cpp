#include "host/ModuleFile.h"

namespace marrowfold {

const char* moduleFileName() {
    return MARROWFOLD_MODULE_FILE_NAME;
}

std::string moduleFileIn(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder + moduleFileName();
}

}  // namespace marrowfold
