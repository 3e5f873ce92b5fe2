#include "host/SessionSetup.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "host/ModuleLocation.h"
#include "host/ToolError.h"

namespace marrowfold {

namespace {

// A folder opens like a file but fails on the first read, which the stream reports by throwing.
std::vector<uint8_t> readStateFile(const std::string& path) {
    const ToolError unreadable("cannot read state file '" + path + "'");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw unreadable;
    try {
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
        if (file.bad()) throw unreadable;
        return bytes;
    } catch (const std::ios_base::failure&) {
        throw unreadable;
    }
}

}  // namespace

void configureSession(EffectSession& session, const RenderOptions& options) {
    const std::vector<uint8_t> state =
        options.stateIn.empty() ? std::vector<uint8_t>() : readStateFile(options.stateIn);
    const bool bankFirst = state.size() == kBankChunkSize;
    if (!options.stateIn.empty() && bankFirst) session.restoreState(state, options.stateIn);
    if (options.program) session.selectProgram(*options.program);
    if (!options.stateIn.empty() && !bankFirst) session.restoreState(state, options.stateIn);
    if (options.preset) session.selectPreset(*options.preset);
    for (const HostParameterWrite& write : options.settings)
        session.setParameter(write);
    requestSessionOptions(session, options);
}

}  // namespace marrowfold
