#pragma once

// Real host programs run on the built bundle: the environment they find it in and their output.

#include <string>
#include <vector>

#include "tests/tools/ToolTestSupport.h"

namespace marrowfold::testing {

inline constexpr char kPluginUri[] = "urn:marrowfold:lv2:marrowfold";

// The built bundle folder.
std::string bundleFolder();
// The LV2 specification bundles (the vocabularies and their schemas) of the development package,
// without any plug-in's bundle.
std::vector<std::string> vocabularyBundles();

// A folder holding links to one bundle of ours and to the LV2 vocabularies, and the LV2_PATH that
// names only that folder: hosts see neither other plug-ins nor another copy of ours, wherever
// they are installed on the machine.
class BundlePath {
  public:
    explicit BundlePath(const std::string& bundle = bundleFolder());
    std::string lv2Path() const;
    const TemporaryFolder& folder() const { return scratch; }

  private:
    TemporaryFolder scratch;
};

struct HostRun {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

// One shell word for `text`.
std::string shellWord(const std::string& text);
// Runs `words` (each one shell word) with LV2_PATH set, stopping it after timeoutSeconds.
HostRun runHost(const BundlePath& path, const std::vector<std::string>& words,
                int timeoutSeconds = 120);
// The same for a complete shell command line.
HostRun runShell(const BundlePath& path, const std::string& command, int timeoutSeconds = 120);

bool programExists(const std::string& name);
// A whole text file; empty when it cannot be read.
std::string readText(const std::string& path);

}  // namespace marrowfold::testing
