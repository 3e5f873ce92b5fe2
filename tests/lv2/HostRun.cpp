#include "tests/lv2/HostRun.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace marrowfold::testing {

std::string bundleFolder() {
    return MARROWFOLD_LV2_BUNDLE;
}

std::vector<std::string> vocabularyBundles() {
    std::vector<std::string> bundles;
    std::istringstream list(MARROWFOLD_LV2_VOCABULARIES);
    for (std::string bundle; std::getline(list, bundle, ':');)
        bundles.push_back(bundle);
    return bundles;
}

namespace {

// The folder that LV2_PATH names, apart from the hosts' output so that they take no file for a
// bundle.
constexpr char kBundleLinks[] = "lv2";

}  // namespace

BundlePath::BundlePath(const std::string& bundle) {
    const std::filesystem::path links = scratch.file(kBundleLinks);
    std::filesystem::create_directory(links);
    std::filesystem::create_directory_symlink(bundle, links / "marrowfold.lv2");
    for (const std::filesystem::path vocabulary : vocabularyBundles())
        std::filesystem::create_directory_symlink(vocabulary, links / vocabulary.filename());
}

std::string BundlePath::lv2Path() const {
    return scratch.file(kBundleLinks);
}

std::string shellWord(const std::string& text) {
    std::string word = "'";
    for (const char c : text) {
        if (c == '\'') {
            word += "'\\''";
        } else {
            word += c;
        }
    }
    word += '\'';
    return word;
}

HostRun runShell(const BundlePath& path, const std::string& command, int timeoutSeconds) {
    const std::string capture = path.folder().file("host-output.txt");
    std::string line = "LV2_PATH=";
    line += shellWord(path.lv2Path());
    line += " timeout -k 5 " + std::to_string(timeoutSeconds) + " sh -c ";
    line += shellWord(command);
    line += " >";
    line += shellWord(capture);
    line += " 2>&1 </dev/null";
    const int status = std::system(line.c_str());
    HostRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = readText(capture);
    return run;
}

HostRun runHost(const BundlePath& path, const std::vector<std::string>& words, int timeoutSeconds) {
    std::string command;
    for (const std::string& word : words) {
        if (!command.empty()) command += ' ';
        command += shellWord(word);
    }
    return runShell(path, command, timeoutSeconds);
}

bool programExists(const std::string& name) {
    std::string command = "command -v ";
    command += shellWord(name);
    command += " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

std::string readText(const std::string& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace marrowfold::testing
