// Build-time generator of the bundle's Turtle files: reads the module and writes manifest.ttl,
// marrowfold.ttl and presets.ttl into the bundle folder.
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include "lv2/TtlWriter.h"

namespace {

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s MODULE BUNDLE_FOLDER PLUGIN_BINARY UI_BINARY\n", argv[0]);
        return 2;
    }
    try {
        using namespace marrowfold::lv2;
        const BundleFacts facts = readBundleFacts(argv[1]);
        const std::string folder = std::string(argv[2]) + "/";
        writeFile(folder + "manifest.ttl", manifestTtl({argv[3], argv[4]}, facts));
        writeFile(folder + kPluginTtlFile, pluginTtl(facts));
        writeFile(folder + kPresetsTtlFile, presetsTtl(facts));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
