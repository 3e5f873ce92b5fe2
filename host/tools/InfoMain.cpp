// Prints the identity of a plug-in module, read through its record as a host sees it.
#include <cstdio>
#include <string>

#include "host/PluginHost.h"
#include "host/PluginModule.h"

namespace {

std::string fourChars(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        text += static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace marrowfold;
    const std::string path = argc > 1 ? argv[1] : "build/marrowfold.so";
    PluginModule module;
    if (!module.open(path)) {
        std::fprintf(stderr, "marrowfold-info: %s\n", module.error().c_str());
        return 1;
    }
    PluginHost host;
    if (!host.create(module)) {
        std::fprintf(stderr, "marrowfold-info: %s refused to start\n", path.c_str());
        return 1;
    }
    const EffectRecord& record = *host.record();
    std::printf("module     %s\n", path.c_str());
    std::printf("id         %s (0x%08X), version %d\n", fourChars(record.pluginId).c_str(),
                static_cast<unsigned>(record.pluginId), record.pluginVersion);
    std::printf("flags      %d\n", record.flags);
    std::printf("programs   %d, parameters %d, inputs %d, outputs %d\n", record.programCount,
                record.parameterCount, record.inputCount, record.outputCount);
    std::printf("vendor     %s\n", host.vendorName().c_str());
    std::printf("category   %ld\n", static_cast<long>(host.dispatch(ReqCategory)));
    return 0;
}
