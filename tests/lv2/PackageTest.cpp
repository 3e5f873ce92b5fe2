// The Debian package as a user gets it, unpacked into a temporary folder and never installed:
// its file name carries the project's version, it holds the bundle, the tools and the
// documentation where Debian puts them, its dependencies resolve, lintian finds no error, lv2ls
// lists the plug-in from the unpacked bundle alone, and lv2apply's output through that bundle
// equals the unpacked render tool's, which finds the module in the bundle by itself.
#include <gtest/gtest.h>
#include <sndfile.h>

#include "tests/lv2/HostRun.h"

namespace marrowfold::testing {
namespace {

constexpr int32_t kRate = 44100;
constexpr int64_t kFrames = kRate / 4;
constexpr char kBundle[] = "usr/lib/lv2/marrowfold.lv2";
constexpr char kTools[] = "usr/bin";

const char* const kPackagedFiles[] = {
    "usr/lib/lv2/marrowfold.lv2/manifest.ttl",
    "usr/lib/lv2/marrowfold.lv2/marrowfold.ttl",
    "usr/lib/lv2/marrowfold.lv2/presets.ttl",
    "usr/lib/lv2/marrowfold.lv2/marrowfold.so",
    "usr/lib/lv2/marrowfold.lv2/marrowfold_dsp.so",
    "usr/lib/lv2/marrowfold.lv2/marrowfold_ui.so",
    "usr/bin/marrowfold-render",
    "usr/bin/marrowfold-process",
    "usr/share/doc/marrowfold/README.md",
    "usr/share/doc/marrowfold/copyright",
    "usr/share/doc/marrowfold/changelog.gz",
    "usr/share/man/man1/marrowfold-render.1.gz",
    "usr/share/man/man1/marrowfold-process.1.gz",
};

// Libraries the binaries link, which the computed dependencies must name.
const char* const kComputedDependencies[] = {"libc6", "libcairo2", "libsndfile1", "libx11-6"};

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string packageFile() {
    const ToolRun architecture = runProgram("dpkg", {"--print-architecture"});
    return std::string(MARROWFOLD_PACKAGE_FOLDER) + "/marrowfold_" + MARROWFOLD_PROJECT_VERSION +
           "_" + firstLine(architecture.output) + ".deb";
}

class PackageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::is_regular_file(package)) << package;
        const ToolRun unpack = runProgram("dpkg-deb", {"-x", package, unpacked.file("")});
        ASSERT_EQ(unpack.exitCode, 0) << unpack.errors;
    }

    const std::string package = packageFile();
    const TemporaryFolder unpacked;
};

TEST_F(PackageTest, HoldsItsFilesInDebiansPlacesAndItsDependenciesResolve) {
    for (const char* file : kPackagedFiles)
        EXPECT_TRUE(std::filesystem::is_regular_file(unpacked.file(file))) << file;
    const ToolRun depends = runProgram("dpkg-deb", {"--field", package, "Depends"});
    for (const char* library : kComputedDependencies)
        EXPECT_NE(depends.output.find(library), std::string::npos) << depends.output;

    const ToolRun simulated = runProgram("apt-get", {"install", "--simulate", package});
    EXPECT_EQ(simulated.exitCode, 0) << simulated.output << simulated.errors;
    ASSERT_TRUE(programExists("lintian"));
    const ToolRun lintian = runProgram("lintian", {"--fail-on", "error", package});
    EXPECT_EQ(lintian.exitCode, 0) << lintian.output << lintian.errors;
}

TEST_F(PackageTest, UnpackedBundleAndToolsRunWithoutTheBuildTree) {
    const BundlePath path(unpacked.file(kBundle));
    const HostRun listed = runHost(path, {"lv2ls"});
    EXPECT_EQ(listed.output, std::string(kPluginUri) + "\n");

    const std::string tool = unpacked.file(std::string(kTools) + "/marrowfold-render");
    const ToolRun programs = runProgram(tool, {"--list"});
    EXPECT_EQ(programs.exitCode, 0) << programs.errors;
    EXPECT_NE(programs.output.find("\"Default\""), std::string::npos) << programs.output;

    const std::string input = path.folder().file("input.wav");
    const std::string viaHost = path.folder().file("lv2apply.wav");
    const std::string viaTool = path.folder().file("render.wav");
    writeAudio(input, makeSignal(2, kRate, kFrames, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    const HostRun host =
        runHost(path, {"lv2apply", "-i", input, "-o", viaHost, "-c", "shape", "3", kPluginUri});
    ASSERT_EQ(host.exitCode, 0) << host.output;
    const ToolRun render = runProgram(tool, {input, viaTool, "--block", "1", "--set", "Shape=3"});
    ASSERT_EQ(render.exitCode, 0) << render.errors;
    const AudioData hostAudio = readAudio(viaHost);
    ASSERT_EQ(hostAudio.frames(), kFrames);
    EXPECT_EQ(hostAudio.samples, readAudio(viaTool).samples);
}

}  // namespace
}  // namespace marrowfold::testing
