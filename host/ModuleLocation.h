#pragma once

// Where a command-line tool finds the module when the command line names none: beside the tool,
// as in the build folder, else in the LV2 bundle where the installed package puts it, found
// relative to the tool's own folder.

#include <functional>
#include <string>

namespace marrowfold {

// The folder of the running program with a trailing separator: from the system where it can
// tell, else from the program's name as started (argv[0]); empty for a bare name.
std::string programFolder(const std::string& programName);

// The module's places in `folder`, most specific first.
std::string moduleBeside(const std::string& folder);
std::string moduleInInstalledBundle(const std::string& folder);

// The first place that `exists`; the one beside the tool when there is none, so that the error
// that follows names the place a developer expects.
std::string defaultModulePath(const std::string& folder,
                              const std::function<bool(const std::string&)>& exists);
// The same for the files on this machine.
std::string defaultModulePath(const std::string& folder);

}  // namespace marrowfold
