// The bundle's description as real LV2 tools read it: lv2info lists the plug-in, every port with
// its range, the UI and the 41 factory presets; sord_validate checks every file against the
// schemas Debian's lv2-dev installs (and only those), and would catch the mistakes that make hosts
// drop a UI silently (a misspelt class or prefix).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/common/FactoryNames.h"
#include "tests/lv2/HostRun.h"

namespace marrowfold::testing {
namespace {

// The meters keep these ports whatever controls come later.
constexpr int32_t kFirstMeterPort = 15;
const char* const kMeterSymbols[] = {"band1_level", "band2_level", "band3_level",
                                     "band4_level", "input_level", "output_level"};
constexpr size_t kFactoryPresets = 41;

struct PortExpectation {
    int32_t port;
    const char* symbol;
    const char* minimum;
    const char* maximum;
    // Further lines of lv2info's text for the port.
    std::vector<std::string> details = {};
};

// clang-format off
// The controls' ports; controls added after the meters take the ports after theirs.
const PortExpectation kControlExpectations[] = {
    {4, "band1", "-12.000000", "12.000000"},  {5, "band2", "-12.000000", "12.000000"},
    {6, "band3", "-12.000000", "12.000000"},  {7, "band4", "-12.000000", "12.000000"},
    {8, "input", "-20.000000", "20.000000"},  {9, "output", "-20.000000", "20.000000"},
    {10, "shape", "0.000000", "4.000000"},    {11, "preset", "0.000000", "1.000000"},
    {12, "program", "0.000000", "3.000000"},  {13, "oversampling", "1.000000", "16.000000"},
    {14, "latency", "0.000000", "64.000000"},
    {21, "mix", "0.000000", "100.000000", {"Default:     100.000000"}},
    {22, "enabled", "0.000000", "1.000000",
     {"Default:     1.000000", "Designation: http://lv2plug.in/ns/lv2core#enabled",
      "lv2core#toggled", "lv2core#integer"}},
    {23, "antialiasing", "0.000000", "1.000000",
     {"Default:     0.000000", "lv2core#toggled", "lv2core#integer"}},
    {24, "edge1", "25.000000", "24000.000000", {"Default:     25.000000", "port-props#logarithmic"}},
    {25, "edge2", "25.000000", "24000.000000", {"port-props#logarithmic"}},
    {26, "edge3", "25.000000", "24000.000000", {"port-props#logarithmic"}},
    {27, "edge4", "25.000000", "24000.000000", {"Default:     4046.14", "port-props#logarithmic"}},
    {28, "edge5", "25.000000", "24000.000000", {"Default:     22050.000000"}},
    {29, "drive1", "-20.000000", "20.000000"}, {30, "drive2", "-20.000000", "20.000000"},
    {31, "drive3", "-20.000000", "20.000000"}, {32, "drive4", "-20.000000", "20.000000"},
    {33, "solo", "0.000000", "4.000000", {"Default:     0.000000", "lv2core#enumeration",
                                          "4 = \"Band 4\""}},
    {34, "auto_gain", "0.000000", "1.000000",
     {"Default:     0.000000", "lv2core#toggled", "#InputPort"}},
    {35, "auto_gain_applied", "-48.000000", "12.000000", {"#OutputPort"}},
};
// clang-format on
constexpr auto kPortCount =
    static_cast<int32_t>(4 + std::size(kControlExpectations) + std::size(kMeterSymbols));

// The text lv2info prints for one port, from its "Port N:" line to the next.
std::string portSection(const std::string& info, int32_t index) {
    const std::string start = "\tPort " + std::to_string(index) + ":\n";
    const size_t begin = info.find(start);
    if (begin == std::string::npos) return {};
    const size_t end = info.find("\tPort ", begin + start.size());
    return info.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// Our description and the LV2 vocabularies it uses, never another plug-in's description.
std::vector<std::string> validationFiles(const std::string& bundle) {
    std::vector<std::string> files;
    for (const std::string& vocabulary : vocabularyBundles()) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(vocabulary)) {
            if (entry.path().extension() == ".ttl") files.push_back(entry.path().string());
        }
    }
    for (const char* name : {"manifest.ttl", "marrowfold.ttl", "presets.ttl"})
        files.push_back(bundle + "/" + name);
    return files;
}

HostRun validate(const BundlePath& path, const std::string& bundle) {
    std::vector<std::string> words = {"sord_validate"};
    for (const std::string& file : validationFiles(bundle))
        words.push_back(file);
    return runHost(path, words);
}

TEST(BundleDescription, Lv2InfoListsThePluginItsPortsAndUi) {
    ASSERT_TRUE(programExists("lv2info"));
    const BundlePath path;
    const HostRun run = runHost(path, {"lv2info", kPluginUri});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Class:             Distortion Plugin"), std::string::npos);
    EXPECT_NE(run.output.find("Has latency:       yes, reported by port 14"), std::string::npos);
    EXPECT_NE(run.output.find("Class:  http://lv2plug.in/ns/extensions/ui#X11UI"),
              std::string::npos);
    EXPECT_NE(run.output.find("http://lv2plug.in/ns/ext/state#interface"), std::string::npos);
    // Every index once: a duplicate index would leave a port unconnected.
    for (int32_t i = 0; i < kPortCount; ++i)
        EXPECT_FALSE(portSection(run.output, i).empty()) << "port " << i;
    EXPECT_TRUE(portSection(run.output, kPortCount).empty());
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_NE(portSection(run.output, i).find("#AudioPort"), std::string::npos);
    for (const PortExpectation& want : kControlExpectations) {
        const std::string section = portSection(run.output, want.port);
        EXPECT_NE(section.find(std::string("Symbol:      ") + want.symbol), std::string::npos)
            << section;
        EXPECT_NE(section.find(std::string("Minimum:     ") + want.minimum), std::string::npos)
            << section;
        EXPECT_NE(section.find(std::string("Maximum:     ") + want.maximum), std::string::npos)
            << section;
        for (const std::string& detail : want.details)
            EXPECT_NE(section.find(detail), std::string::npos) << detail << "\n" << section;
    }
    EXPECT_NE(portSection(run.output, 10).find("4 = \"Hard\""), std::string::npos);
    // The meters: outputs that hosts do not automate.
    for (size_t m = 0; m < std::size(kMeterSymbols); ++m) {
        const std::string section =
            portSection(run.output, kFirstMeterPort + static_cast<int32_t>(m));
        EXPECT_NE(section.find(std::string("Symbol:      ") + kMeterSymbols[m]), std::string::npos)
            << section;
        EXPECT_NE(section.find("#OutputPort"), std::string::npos) << section;
        EXPECT_NE(section.find("#notAutomatic"), std::string::npos) << section;
    }
    EXPECT_NE(portSection(run.output, 12).find("1 = \"Guitar\""), std::string::npos);
    EXPECT_NE(portSection(run.output, 13).find("16 = \"16x\""), std::string::npos);
    EXPECT_NE(portSection(run.output, 14).find("#OutputPort"), std::string::npos);
}

// Factory presets leave the oversampling, the anti-aliasing, the mix and the switch out, so that
// loading one keeps the user's settings.
TEST(BundleDescription, FactoryPresetsKeepTheUsersOversampling) {
    const std::string presets = readText(bundleFolder() + "/presets.ttl");
    EXPECT_NE(presets.find("\"shape\""), std::string::npos);
    EXPECT_EQ(presets.find("\"oversampling\""), std::string::npos);
    EXPECT_EQ(presets.find("\"latency\""), std::string::npos);
    EXPECT_EQ(presets.find("\"mix\""), std::string::npos);
    EXPECT_EQ(presets.find("\"enabled\""), std::string::npos);
    EXPECT_EQ(presets.find("\"antialiasing\""), std::string::npos);
}

TEST(BundleDescription, Lv2InfoListsTheFactoryPresetsAsProgramSlashPreset) {
    const BundlePath path;
    const HostRun run = runHost(path, {"lv2info", kPluginUri});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    size_t listed = 0;
    for (size_t p = 0; p < factoryPresetNames().size(); ++p) {
        for (const std::string& name : factoryPresetNames()[p]) {
            const std::string label =
                "\t         " + std::string(kFactoryProgramNames[p]) + " / " + name + "\n";
            listed += run.output.find(label) != std::string::npos ? 1 : 0;
            EXPECT_NE(run.output.find(label), std::string::npos) << label;
        }
    }
    EXPECT_EQ(listed, kFactoryPresets);
}

// The plug-in's URI carries the project's major version; its description carries the rest.
TEST(BundleDescription, Lv2InfoDescribesTheProjectsVersion) {
    const BundlePath path;
    const std::string written = path.folder().file("described.ttl");
    const HostRun run = runHost(path, {"lv2info", "-p", written, kPluginUri});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::smatch version;
    const std::string project = MARROWFOLD_PROJECT_VERSION;
    ASSERT_TRUE(std::regex_match(project, version, std::regex(R"((\d+)\.(\d+)\.(\d+))")));
    const std::string description = readText(written);
    EXPECT_NE(description.find("lv2:minorVersion " + version[2].str() + " ;"), std::string::npos)
        << description;
    EXPECT_NE(description.find("lv2:microVersion " + version[3].str() + " ;"), std::string::npos)
        << description;
}

TEST(BundleDescription, SordValidatePassesAndCatchesAMisspeltUiClass) {
    ASSERT_TRUE(programExists("sord_validate"));
    const BundlePath path;
    const HostRun good = validate(path, bundleFolder());
    EXPECT_EQ(good.exitCode, 0) << good.output;
    EXPECT_NE(good.output.find("Found 0 errors"), std::string::npos) << good.output;

    // The same files with the UI class misspelt, as a hand-written description might have it.
    const std::string broken = path.folder().file("broken");
    std::filesystem::create_directory(broken);
    for (const char* name : {"manifest.ttl", "marrowfold.ttl", "presets.ttl"})
        std::filesystem::copy_file(bundleFolder() + "/" + name, broken + "/" + name);
    std::ifstream in(broken + "/manifest.ttl");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    text = std::regex_replace(text, std::regex("ui:X11UI"), "ui:X11Ui");
    std::ofstream(broken + "/manifest.ttl", std::ios::trunc) << text;
    EXPECT_NE(validate(path, broken).exitCode, 0);
}

}  // namespace
}  // namespace marrowfold::testing
