// Runs raw float32 stereo through the Marrowfold module, driven through its record as any host
// drives it. One source for every platform, so the same input can be compared across builds.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "host/DemoSignal.h"
#include "host/ProcessOptions.h"
#include "host/RawProcess.h"
#include "host/ToolError.h"

namespace {

using namespace marrowfold;

int run(const std::vector<std::string>& arguments, const std::string& program) {
    const ProcessOptions options = parseProcessOptions(arguments);
    if (options.help) {
        std::fputs(processUsage().c_str(), stdout);
    } else if (!options.demoOutput.empty()) {
        writeRawStereo(options.demoOutput, synthesizeDemoSignal().interleaved);
    } else {
        processRawFile(options, modulePathFor(options, program));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc), argv[0]);
    } catch (const ToolError& error) {
        std::fprintf(stderr, "marrowfold-process: %s\n", error.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "marrowfold-process: out of memory\n");
    }
    return 1;
}
