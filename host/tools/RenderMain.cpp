// Renders audio files through the Marrowfold module, driven through its record as any host
// drives it; lists its programs; or runs the built-in demo.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "host/DemoJob.h"
#include "host/EffectSession.h"
#include "host/ProgramListing.h"
#include "host/RenderOptions.h"
#include "host/Renderer.h"
#include "host/SessionSetup.h"
#include "host/ToolError.h"

namespace {

using namespace marrowfold;

void listPrograms(const RenderOptions& options) {
    EffectSession session(modulePathFor(options, ""), 2);
    configureSession(session, options);
    std::fputs(formatProgramListing(session.programs(),
                                    session.parameterUnit(hostControl(ControlIn).parameter))
                   .c_str(),
               stdout);
}

void renderOne(const RenderOptions& options) {
    RenderRequest request;
    request.inputPath = options.input;
    request.outputPath = options.output;
    request.modulePath = modulePathFor(options, "");
    request.sampleFormat = options.sampleFormat;
    request.blockSize = options.blockSize;
    request.configure = [&options](EffectSession& session) { configureSession(session, options); };
    if (!options.stateOut.empty()) request.stateOutputs.push_back({options.stateOut, false});
    if (!options.bankOut.empty()) request.stateOutputs.push_back({options.bankOut, true});
    request.showProgress = true;
    renderFile(request);
}

int run(const std::vector<std::string>& arguments) {
    const RenderOptions options = parseRenderOptions(arguments);
    switch (options.mode) {
        case RenderMode::Help:
            std::fputs(renderUsage().c_str(), stdout);
            break;
        case RenderMode::List:
            listPrograms(options);
            break;
        case RenderMode::Demo:
            runDemo(options.demoFolder, modulePathFor(options, ""), options.pictureScale);
            break;
        case RenderMode::Render:
            renderOne(options);
            break;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    installInterruptHandlers();
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const ToolError& error) {
        std::fprintf(stderr, "marrowfold-render: %s\n", error.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "marrowfold-render: out of memory\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "marrowfold-render: %s\n", error.what());
    }
    return 1;
}
