#include "host/RenderOptions.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <map>

#include "host/RenderPicture.h"
#include "host/ToolError.h"

namespace marrowfold {

namespace {

SampleFormat parseSampleFormat(const std::string& text) {
    static const std::map<std::string, SampleFormat> kFormats{{"float", SampleFormat::Float},
                                                              {"pcm16", SampleFormat::Pcm16},
                                                              {"pcm24", SampleFormat::Pcm24}};
    const auto found = kFormats.find(text);
    if (found == kFormats.end())
        throw ToolError("--format takes float, pcm16 or pcm24, got '" + text + "'");
    return found->second;
}

double parsePictureScale(const std::string& text) {
    double scale = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), scale);
    if (error != std::errc() || end != text.data() + text.size() || scale < kSmallestPictureScale ||
        scale > kLargestPictureScale)
        throw ToolError("--picture-scale takes a number from 1 to 4, got '" + text + "'");
    return scale;
}

using ValueHandler = std::function<void(RenderOptions&, const std::string&)>;

const std::map<std::string, ValueHandler>& valueOptions() {
    static const std::map<std::string, ValueHandler> kHandlers = withSessionOptions<RenderOptions>({
        {"--format",
         [](RenderOptions& o, const std::string& v) { o.sampleFormat = parseSampleFormat(v); }},
        {"--program", [](RenderOptions& o, const std::string& v) { o.program = v; }},
        {"--preset", [](RenderOptions& o, const std::string& v) { o.preset = v; }},
        {"--set", [](RenderOptions& o,
                     const std::string& v) { o.settings.push_back(parseParameterSetting(v)); }},
        {"--state-in", [](RenderOptions& o, const std::string& v) { o.stateIn = v; }},
        {"--state-out", [](RenderOptions& o, const std::string& v) { o.stateOut = v; }},
        {"--bank-out", [](RenderOptions& o, const std::string& v) { o.bankOut = v; }},
        {"--picture-scale",
         [](RenderOptions& o, const std::string& v) { o.pictureScale = parsePictureScale(v); }},
        {"--demo",
         [](RenderOptions& o, const std::string& v) {
             o.mode = RenderMode::Demo;
             o.demoFolder = v;
         }},
    });
    return kHandlers;
}

void checkFiles(const RenderOptions& options, const std::vector<std::string>& files) {
    const size_t wanted = options.mode == RenderMode::Render ? 2 : 0;
    if (files.size() == wanted) return;
    if (wanted == 0) throw ToolError("unexpected argument '" + files.front() + "'");
    throw ToolError(files.size() < wanted ? "needs an input and an output file (see --help)"
                                          : "too many file names (see --help)");
}

}  // namespace

RenderOptions parseRenderOptions(const std::vector<std::string>& arguments) {
    RenderOptions options;
    std::vector<std::string> files;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.mode = RenderMode::Help;
            return options;
        }
        if (argument == "--list") {
            options.mode = RenderMode::List;
            continue;
        }
        if (takeSessionSwitch(options, argument)) continue;
        const auto handler = valueOptions().find(argument);
        if (handler != valueOptions().end()) {
            if (i + 1 >= arguments.size()) throw ToolError(argument + " needs a value");
            handler->second(options, arguments[++i]);
        } else if (argument.size() > 1 && argument[0] == '-') {
            throw ToolError("unknown option '" + argument + "' (see --help)");
        } else {
            files.push_back(argument);
        }
    }
    checkFiles(options, files);
    if (options.mode == RenderMode::Render) {
        options.input = files[0];
        options.output = files[1];
    }
    return options;
}

std::string renderUsage() {
    std::string text =
        "usage: marrowfold-render IN OUT [options]\n"
        "       marrowfold-render --list [--state-in FILE]\n"
        "       marrowfold-render --demo FOLDER\n"
        "\n"
        "Renders a mono or stereo audio file through the Marrowfold module. OUT gets the\n"
        "input's length, sample rate and file format unless --format says otherwise.\n"
        "\n"
        "  --block N          frames per process call (default 512)\n"
        "  --format F         float, pcm16 or pcm24 samples in OUT\n"
        "  --oversampling N   shape at N times the rate: " +
        oversamplingChoices(true) +
        "; the\n"
        "                     output stays aligned with the input and as long\n"
        "  --antialiasing     anti-alias the shaping from the curves' antiderivatives, at\n"
        "                     any factor (a sample or two more delay, also taken out)\n"
        "  --mix PERCENT      processed share of the output, 0..100 (default 100); the\n"
        "                     rest is the input, aligned with the processed signal\n"
        "  --auto-gain        keep the processed signal as loud as the input: a slow\n"
        "                     gain matched over seconds, applied before the mix\n"
        "  --program P        program by number (from 0) or name\n"
        "  --preset P         preset of that program by number (from 0) or name\n"
        "  --set NAME=VALUE   set a parameter in its own units (repeatable)\n"
        "  --state-in FILE    load a saved program or bank chunk first\n"
        "  --state-out FILE   save the program as rendered (a program chunk)\n"
        "  --bank-out FILE    save all four programs (a bank chunk)\n"
        "  --list             list the programs and their presets\n"
        "  --demo FOLDER      render a built-in demo through each program's first preset,\n"
        "                     with a picture of each result\n"
        "  --picture-scale N  draw --demo's pictures N times larger (1 to 4), for\n"
        "                     high-density displays\n"
        "  --module PATH      the module to load (default: marrowfold.so beside this tool,\n"
        "                     else the one the package installs in ../lib/lv2)\n"
        "  --help             this text\n"
        "\n"
        "Order: --program and --state-in (a bank chunk is loaded before the program is\n"
        "chosen, a program chunk into the chosen program), then --preset, then each --set.\n"
        "\n"
        "Parameters for --set:\n";
    for (const HostParameterRange& range : hostParameterRanges()) {
        char line[96];
        std::snprintf(line, sizeof line, "  %-8s %g .. %g\n", std::string(range.name).c_str(),
                      static_cast<double>(range.minValue), static_cast<double>(range.maxValue));
        text += line;
    }
    return text;
}

}  // namespace marrowfold
