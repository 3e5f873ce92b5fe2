#include "fuzz/FuzzHost.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "effect/PluginEntry.h"

#ifdef MARROWFOLD_WITH_EDITOR
#include "editor/MultibandEditor.h"
#include "platform/HeadlessPlatform.h"
#include "platform/Platform.h"
#endif

namespace marrowfold::fuzz {

namespace {

constexpr intptr_t kHostVersion = 2400;

// The entry function asks its first question before a record exists.
FuzzHost* hostBeingCreated = nullptr;

#ifdef MARROWFOLD_WITH_EDITOR
// No display: the editor lives on the in-memory window system, in a window standing for the
// host's, made once.
HeadlessPlatform& headlessPlatform() {
    static HeadlessPlatform* const platform = [] {
        auto made = std::make_unique<HeadlessPlatform>();
        HeadlessPlatform* kept = made.get();
        replacePlatform(std::move(made));
        return kept;
    }();
    return *platform;
}
#endif

EditorFactory editorFactory() {
#ifdef MARROWFOLD_WITH_EDITOR
    headlessPlatform();
    return &MultibandEditor::create;
#else
    return nullptr;
#endif
}

}  // namespace

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

FuzzHost::FuzzHost(HostAnswers answers) : hostAnswers(std::move(answers)) {
    hostBeingCreated = this;
    plugin = createPlugin(&FuzzHost::receive, hostAnswers.withEditor ? editorFactory() : nullptr);
    hostBeingCreated = nullptr;
    require(plugin != nullptr, "the plug-in starts for a host that answers its version");
    plugin->hostData = reinterpret_cast<intptr_t>(this);
}

FuzzHost::~FuzzHost() {
    close();
}

void* FuzzHost::hostWindow() {
#ifdef MARROWFOLD_WITH_EDITOR
    static const WindowId window =
        headlessPlatform().createHostWindow(kNoWindow, "FuzzHost", {0, 0, 800, 300});
    return reinterpret_cast<void*>(window);
#else
    return nullptr;
#endif
}

void FuzzHost::close() {
    if (plugin == nullptr) return;
    const intptr_t result = plugin->dispatchEntry(plugin, ReqClose, 0, 0, nullptr, 0.0f);
    plugin = nullptr;
    require(result == 1, "the close request answers 1");
}

intptr_t FuzzHost::receive(EffectRecord* record, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float) {
    // Until the entry function has returned the record carries no host data yet.
    FuzzHost* host = record && record->hostData ? reinterpret_cast<FuzzHost*>(record->hostData)
                                                : hostBeingCreated;
    return host ? host->answer(opcode, index, value, ptr) : 0;
}

intptr_t FuzzHost::answer(int32_t opcode, int32_t index, intptr_t value, void* ptr) {
    switch (opcode) {
        case HostVersion:
            return kHostVersion;
        case HostPinConnected: {
            const bool* wired = value == 0 ? hostAnswers.inputWired : hostAnswers.outputWired;
            const bool known = index == 0 || index == 1;
            return known && !wired[index] ? 1 : 0;
        }
        case HostProduct:
            if (ptr != nullptr)
                std::strcpy(static_cast<char*>(ptr), hostAnswers.productName.c_str());
            return hostAnswers.productName.empty() ? 0 : 1;
        default:
            return 0;
    }
}

intptr_t FuzzHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    require(opcode != ReqClose, "the close request goes through close()");
    return plugin->dispatchEntry(plugin, opcode, index, value, ptr, opt);
}

void FuzzHost::setParameter(int32_t index, float value) {
    plugin->setParameterEntry(plugin, index, value);
}

float FuzzHost::getParameter(int32_t index) {
    return plugin->getParameterEntry(plugin, index);
}

std::vector<uint8_t> FuzzHost::saveChunk(bool isProgram) {
    void* data = nullptr;
    const intptr_t bytes = dispatch(ReqGetChunk, isProgram ? 1 : 0, 0, &data);
    if (data == nullptr || bytes <= 0) return {};
    const auto* begin = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(begin, begin + bytes);
}

intptr_t FuzzHost::restoreChunk(std::vector<uint8_t> chunk, bool isProgram) {
    return dispatch(ReqSetChunk, isProgram ? 1 : 0, static_cast<intptr_t>(chunk.size()),
                    chunk.data());
}

}  // namespace marrowfold::fuzz
