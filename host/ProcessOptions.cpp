#include "host/ProcessOptions.h"

#include <functional>
#include <map>

#include "host/ToolError.h"

namespace marrowfold {

namespace {

using Setter = std::function<void(ProcessOptions&, const std::string&)>;

const std::map<std::string, Setter>& valueOptions() {
    static const std::map<std::string, Setter> kOptions = withSessionOptions<ProcessOptions>({
        {"--program", [](ProcessOptions& o, const std::string& v) { o.program = v; }},
        {"--preset", [](ProcessOptions& o, const std::string& v) { o.preset = v; }},
        {"--write-demo", [](ProcessOptions& o, const std::string& v) { o.demoOutput = v; }},
    });
    return kOptions;
}

}  // namespace

ProcessOptions parseProcessOptions(const std::vector<std::string>& arguments) {
    ProcessOptions options;
    std::vector<std::string> files;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return options;
        }
        if (takeSessionSwitch(options, argument)) continue;
        const auto option = valueOptions().find(argument);
        if (option != valueOptions().end()) {
            if (i + 1 == arguments.size()) throw ToolError(argument + " needs a value");
            option->second(options, arguments[++i]);
        } else if (argument.size() > 1 && argument[0] == '-') {
            throw ToolError("unknown option '" + argument + "'");
        } else {
            files.push_back(argument);
        }
    }
    const size_t wanted = options.demoOutput.empty() ? 2 : 0;
    if (files.size() != wanted)
        throw ToolError(wanted == 0 ? "--write-demo takes no other file"
                                    : "give the input and the output file");
    if (wanted == 2) {
        options.input = files[0];
        options.output = files[1];
        if (options.input == options.output) throw ToolError("the output is the input file");
    }
    return options;
}

std::string processUsage() {
    return "usage: marrowfold-process IN OUT [options]\n"
           "       marrowfold-process --write-demo OUT\n"
           "Runs raw interleaved float32 stereo (44100 Hz) through the module.\n"
           "  --program P   program by number from 0 or by name\n"
           "  --preset N    preset of that program, chosen as the editor's selector does\n"
           "  --block B     frames per process call (default 512)\n"
           "  --oversampling N  shape at N times the rate: " +
           oversamplingChoices(true) +
           "; the\n"
           "                output stays aligned with the input and as long\n"
           "  --antialiasing  anti-alias the shaping from the curves' antiderivatives, at any\n"
           "                factor (a sample or two more delay, also taken out)\n"
           "  --mix PERCENT processed share of the output, 0..100 (default 100); the rest is\n"
           "                the input, aligned with the processed signal\n"
           "  --auto-gain   keep the processed signal as loud as the input: a slow gain\n"
           "                matched over seconds, applied before the mix\n"
           "  --module PATH the module file (default: the one beside this tool, else the one\n"
           "                the package installs in ../lib/lv2)\n"
           "  --write-demo OUT  write the built-in demo input as raw float32 stereo\n";
}

}  // namespace marrowfold
