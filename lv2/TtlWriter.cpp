#include "lv2/TtlWriter.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "lv2/BundleUris.h"

namespace marrowfold::lv2 {

namespace {

constexpr char kPluginName[] = "Marrowfold";
// The project's version: its major number is the plug-in URI's, so a host sees the rest.
constexpr int32_t kMinorVersion = MARROWFOLD_VERSION_MINOR;
constexpr int32_t kMicroVersion = MARROWFOLD_VERSION_PATCH;
constexpr int kFloatDigits = 9;        // enough for any float to read back unchanged
constexpr int kFixedFloatDigits = 12;  // for values whose shortest form has an exponent
// The LV2 unit of each unit text the controls use.
constexpr std::pair<std::string_view, std::string_view> kUnitsOfControls[] = {
    {"dB", "units:db"},
    {"Hz", "units:hz"},
    {"%", "units:pc"},
    {"frames", "units:frame"},
};

// Prefixes taken from the LV2 headers, so that none can be misspelt.
std::string prefixes() {
    std::string text;
    const std::pair<const char*, const char*> known[] = {
        {"lv2", LV2_CORE_PREFIX},
        {"rdf", "http://www.w3.org/1999/02/22-rdf-syntax-ns#"},
        {"rdfs", "http://www.w3.org/2000/01/rdf-schema#"},
        {"doap", "http://usefulinc.com/ns/doap#"},
        {"foaf", "http://xmlns.com/foaf/0.1/"},
        {"ui", LV2_UI_PREFIX},
        {"state", LV2_STATE_PREFIX},
        {"pset", LV2_PRESETS_PREFIX},
        {"units", LV2_UNITS_PREFIX},
        {"opts", LV2_OPTIONS_PREFIX},
        {"bufsz", LV2_BUF_SIZE_PREFIX},
        {"urid", LV2_URID_PREFIX},
        {"pprops", LV2_PORT_PROPS_PREFIX},
    };
    for (const auto& [name, uri] : known)
        text += std::string("@prefix ") + name + ": <" + uri + "> .\n";
    return text + "\n";
}

std::string uri(const std::string& text) {
    return "<" + text + ">";
}

std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') result += '\\';
        result += c;
    }
    return result + "\"";
}

std::string presetUri(const PresetFacts& preset) {
    return std::string(kPluginUri) + "#preset-" + std::to_string(preset.program) + "-" +
           std::to_string(preset.index);
}

// A whole-number control's values are written as integers, as hosts show them.
std::string scalePoints(const HostControl& info, const std::vector<std::string>& labels) {
    std::string text = " ;\n        lv2:scalePoint ";
    for (size_t i = 0; i < labels.size(); ++i) {
        const float value = info.labelValue(i);
        text +=
            std::string(i ? " , " : "") + "[ rdfs:label " + quoted(labels[i]) + " ; rdf:value " +
            (info.has(kWholeNumbers) ? std::to_string(std::lround(value)) : turtleDecimal(value)) +
            " ]";
    }
    return text;
}

std::string unitOf(const std::string& unit) {
    for (const auto& [text, lv2Unit] : kUnitsOfControls)
        if (unit == text) return " ;\n        units:unit " + std::string(lv2Unit);
    return "";
}

// The port's kind and the properties its flags give it.
std::string portProperties(const HostControl& info) {
    std::string properties;
    const auto add = [&properties](const char* property) {
        properties += (properties.empty() ? "" : " , ") + std::string(property);
    };
    if (info.has(kWholeNumbers)) add("lv2:integer");
    if (info.has(kEnumeration)) add("lv2:enumeration");
    if (info.has(kToggle)) add("lv2:toggled");
    if (info.has(kReportsLatency)) add("lv2:reportsLatency");
    if (info.has(kLogarithmic)) add("pprops:logarithmic");
    std::string text;
    if (info.has(kReportsLatency)) text += " ;\n        lv2:designation lv2:latency";
    if (info.has(kBypassSwitch)) text += " ;\n        lv2:designation lv2:enabled";
    if (!properties.empty()) text += " ;\n        lv2:portProperty " + properties;
    return text;
}

std::string audioPort(uint32_t index) {
    const AudioPortInfo& port = audioPorts()[index];
    return std::string("[\n        a lv2:AudioPort , ") +
           (port.isInput ? "lv2:InputPort" : "lv2:OutputPort") + " ;\n        lv2:index " +
           std::to_string(index) + " ;\n        lv2:symbol " + quoted(std::string(port.symbol)) +
           " ;\n        lv2:name " + quoted(std::string(port.name)) + "\n    ]";
}

// An output port has no default: the module writes it.
std::string controlPort(uint32_t index, const HostControl& info, float defaultValue) {
    const bool output = info.has(kOutput);
    return std::string("[\n        a ") + (output ? "lv2:OutputPort" : "lv2:InputPort") +
           " , lv2:ControlPort ;\n        lv2:index " + std::to_string(index) +
           " ;\n        lv2:symbol " + quoted(std::string(info.symbol)) + " ;\n        lv2:name " +
           quoted(std::string(info.name)) +
           (output ? "" : " ;\n        lv2:default " + turtleDecimal(defaultValue)) +
           " ;\n        lv2:minimum " + turtleDecimal(info.range.minimum()) +
           " ;\n        lv2:maximum " + turtleDecimal(info.range.maximum());
}

// An enumeration lists its labels, or the module's program names.
std::string controlPortTtl(int32_t control, const BundleFacts& facts) {
    const HostControl& info = hostControl(control);
    const auto slot = static_cast<size_t>(control);
    std::string text = controlPort(portOfControl(control), info, facts.defaults[slot]) +
                       unitOf(facts.units[slot]) + portProperties(info);
    if (info.has(kEnumeration)) {
        text += info.labels.empty()
                    ? scalePoints(info, std::vector<std::string>(facts.programNames.begin(),
                                                                 facts.programNames.end()))
                    : scalePoints(info,
                                  std::vector<std::string>(info.labels.begin(), info.labels.end()));
    }
    return text + "\n    ]";
}

// A meter is an output the host shows and never automates.
std::string meterPortTtl(int32_t meter) {
    const HostMeter& info = kHostMeters[static_cast<size_t>(meter)];
    return "[\n        a lv2:OutputPort , lv2:ControlPort ;\n        lv2:index " +
           std::to_string(portOfMeter(meter)) + " ;\n        lv2:symbol " +
           quoted(std::string(info.symbol)) + " ;\n        lv2:name " +
           quoted(std::string(info.name)) + " ;\n        lv2:minimum " +
           turtleDecimal(kMeterFloorDecibels) + " ;\n        lv2:maximum " +
           turtleDecimal(kMeterCeilingDecibels) +
           " ;\n        units:unit units:db ;\n        lv2:portProperty pprops:notAutomatic\n    ]";
}

std::string presetPortValue(const PresetFacts& preset, int32_t control) {
    return "[ lv2:symbol " + quoted(std::string(hostControl(control).symbol)) + " ; pset:value " +
           turtleDecimal(preset.values[static_cast<size_t>(control)]) + " ]";
}

}  // namespace

std::string turtleDecimal(float value) {
    if (!std::isfinite(value)) throw std::runtime_error("a port value is not finite");
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", kFloatDigits, static_cast<double>(value));
    std::string result = text;
    if (result.find('e') != std::string::npos) {
        std::snprintf(text, sizeof text, "%.*f", kFixedFloatDigits, static_cast<double>(value));
        result = text;
    }
    if (result.find('.') == std::string::npos) result += ".0";
    if (std::strtof(result.c_str(), nullptr) != value)
        throw std::runtime_error("no decimal form reads back as " + result);
    return result;
}

std::string manifestTtl(const BundleFiles& files, const BundleFacts& facts) {
    std::string text = prefixes();
    text += uri(kPluginUri) + "\n    a lv2:Plugin ;\n    lv2:binary " + uri(files.pluginBinary) +
            " ;\n    rdfs:seeAlso " + uri(kPluginTtlFile) + " .\n\n";
    text += uri(kUiUri) + "\n    a ui:X11UI ;\n    ui:binary " + uri(files.uiBinary) +
            " ;\n    rdfs:seeAlso " + uri(kPluginTtlFile) + " .\n";
    for (const PresetFacts& preset : facts.presets) {
        text += "\n";
        text += uri(presetUri(preset)) + "\n    a pset:Preset ;\n    lv2:appliesTo " +
                uri(kPluginUri) + " ;\n    rdfs:label " + quoted(preset.label) +
                " ;\n    rdfs:seeAlso " + uri(kPresetsTtlFile) + " .\n";
    }
    return text;
}

std::string pluginTtl(const BundleFacts& facts) {
    std::string text = prefixes();
    text += uri(kPluginUri) +
            "\n    a lv2:Plugin , lv2:DistortionPlugin , doap:Project ;\n    doap:name " +
            quoted(kPluginName) + " ;\n    doap:maintainer [ foaf:name " + quoted(facts.vendor) +
            " ] ;\n    lv2:minorVersion " + std::to_string(kMinorVersion) +
            " ;\n    lv2:microVersion " + std::to_string(kMicroVersion) +
            " ;\n    lv2:optionalFeature urid:map , opts:options ;\n"
            "    opts:supportedOption bufsz:maxBlockLength ;\n"
            "    lv2:extensionData state:interface ;\n    ui:ui " +
            uri(kUiUri) + " ;\n    lv2:port ";
    for (uint32_t i = 0; i < PortFirstControl; ++i)
        text += audioPort(i) + " , ";
    for (int32_t control = 0; control < HostControlCount; ++control)
        text += controlPortTtl(control, facts) + " , ";
    for (int32_t meter = 0; meter < HostMeterCount; ++meter)
        text += meterPortTtl(meter) + (meter + 1 < HostMeterCount ? " , " : " .\n\n");
    text += uri(kUiUri) + "\n    a ui:X11UI ;\n    lv2:requiredFeature " +
            uri(LV2_INSTANCE_ACCESS_URI) +
            " ;\n    lv2:optionalFeature ui:parent , ui:resize , ui:touch , ui:idleInterface , "
            "urid:map , opts:options ;\n"
            "    opts:supportedOption ui:scaleFactor ;\n"
            "    lv2:extensionData ui:idleInterface .\n";
    return text;
}

std::string presetsTtl(const BundleFacts& facts) {
    std::string text = prefixes();
    for (const PresetFacts& preset : facts.presets) {
        text += uri(presetUri(preset)) + "\n    a pset:Preset ;\n    lv2:appliesTo " +
                uri(kPluginUri) + " ;\n    rdfs:label " + quoted(preset.label) +
                " ;\n    lv2:port ";
        // The program first: a preset belongs to its program.
        text += presetPortValue(preset, ControlProgram);
        for (int32_t control = 0; control < HostControlCount; ++control)
            if (control != ControlProgram && hostControl(control).inFactoryPresets())
                text += " ,\n        " + presetPortValue(preset, control);
        text += " .\n\n";
    }
    return text;
}

}  // namespace marrowfold::lv2
