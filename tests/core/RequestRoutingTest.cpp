// Every opcode of both request tables reaches the operation of its name: a probe effect and a
// probe editor write down which operation each request called.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/HostEditor.h"
#include "core/HostEffectExt.h"
#include "core/KeyedTable.h"

namespace marrowfold {
namespace {

class OperationLog {
  public:
    void note(const char* operation) {
        operations += operations.empty() ? operation : std::string("+") + operation;
    }
    std::string take() { return std::exchange(operations, {}); }

  private:
    std::string operations;
};

// Each override notes its name and answers as a plain default would not, so a request answered
// by the wrong row or by a neutral default shows in the log.
class RoutingEffect : public HostEffectExt {
  public:
    explicit RoutingEffect(OperationLog& operationLog)
        : HostEffectExt(nullptr, 4, 8), log(operationLog) {}

    void processAdd(float**, float**, int32_t) override {}
    void onOpen() override { log.note("onOpen"); }
    void onClose() override { log.note("onClose"); }
    void selectProgram(int32_t) override { log.note("selectProgram"); }
    int32_t programIndex() override { return log.note("programIndex"), 1; }
    void renameProgram(char*) override { log.note("renameProgram"); }
    void copyProgramName(char*) override { log.note("copyProgramName"); }
    void copyParameterUnit(int32_t, char*) override { log.note("copyParameterUnit"); }
    void copyParameterText(int32_t, char*) override { log.note("copyParameterText"); }
    void copyParameterTitle(int32_t, char*) override { log.note("copyParameterTitle"); }
    float meterLevel() override { return log.note("meterLevel"), 0.5f; }
    void changeSampleRate(float) override { log.note("changeSampleRate"); }
    void changeBlockSize(int32_t) override { log.note("changeBlockSize"); }
    void onActivate() override { log.note("onActivate"); }
    void onDeactivate() override { log.note("onDeactivate"); }
    int32_t saveState(void**, bool) override { return log.note("saveState"), 1; }
    int32_t restoreState(void*, int32_t, bool) override { return log.note("restoreState"), 1; }

    int32_t acceptEvents(void*) override { return log.note("acceptEvents"), 1; }
    bool canAutomate(int32_t) override { return log.note("canAutomate"), true; }
    bool parameterFromText(int32_t, char*) override { return log.note("parameterFromText"), true; }
    int32_t categoryCount() override { return log.note("categoryCount"), 1; }
    bool indexedProgramName(int32_t, int32_t, char*) override {
        return log.note("indexedProgramName"), true;
    }
    bool copyProgramTo(int32_t) override { return log.note("copyProgramTo"), true; }
    void inputWired(int32_t, bool) override { log.note("inputWired"); }
    void outputWired(int32_t, bool) override { log.note("outputWired"); }
    bool inputInfo(int32_t, void*) override { return log.note("inputInfo"), true; }
    bool outputInfo(int32_t, void*) override { return log.note("outputInfo"), true; }
    int32_t pluginCategory() override { return log.note("pluginCategory"), 1; }
    int32_t currentPosition() override { return log.note("currentPosition"), 1; }
    int32_t destinationBuffer() override { return log.note("destinationBuffer"), 1; }
    bool offlineFilesChanged(void*, int32_t, bool) override {
        return log.note("offlineFilesChanged"), true;
    }
    bool offlineGetReady(void*, int32_t) override { return log.note("offlineGetReady"), true; }
    bool offlineProcess(void*, int32_t) override { return log.note("offlineProcess"), true; }
    bool variableIo(void*) override { return log.note("variableIo"), true; }
    bool setSpeakers(void*, void*) override { return log.note("setSpeakers"), true; }
    void setBlockAndRate(int32_t, float) override { log.note("setBlockAndRate"); }
    bool switchBypass(bool) override { return log.note("switchBypass"), true; }
    bool effectName(char*) override { return log.note("effectName"), true; }
    bool errorText(char*) override { return log.note("errorText"), true; }
    bool vendorName(char*) override { return log.note("vendorName"), true; }
    bool productName(char*) override { return log.note("productName"), true; }
    int32_t vendorVersion() override { return log.note("vendorVersion"), 1; }
    int32_t vendorSpecific(int32_t, intptr_t, void*, float) override {
        return log.note("vendorSpecific"), 1;
    }
    int32_t supportsCapability(char*) override { return log.note("supportsCapability"), 1; }
    int32_t tailSize() override { return log.note("tailSize"), 1; }
    int32_t idleRequest() override { return log.note("idleRequest"), 1; }
    int32_t icon() override { return log.note("icon"), 1; }
    bool moveView(int32_t, int32_t) override { return log.note("moveView"), true; }
    bool parameterInfo(int32_t, void*) override { return log.note("parameterInfo"), true; }
    bool keysNeeded() override { return log.note("keysNeeded"), false; }
    int32_t interfaceVersion() override { return log.note("interfaceVersion"), 1; }
    int32_t midiProgramName(int32_t, void*) override { return log.note("midiProgramName"), 1; }
    int32_t midiCurrentProgram(int32_t, void*) override {
        return log.note("midiCurrentProgram"), 1;
    }
    int32_t midiProgramCategory(int32_t, void*) override {
        return log.note("midiProgramCategory"), 1;
    }
    bool midiProgramsChanged(int32_t) override { return log.note("midiProgramsChanged"), true; }
    bool midiKeyName(int32_t, void*) override { return log.note("midiKeyName"), true; }
    bool beginProgramLoad() override { return log.note("beginProgramLoad"), true; }
    bool endProgramLoad() override { return log.note("endProgramLoad"), true; }

  private:
    OperationLog& log;
};

class RoutingEditor : public HostEditor {
  public:
    RoutingEditor(HostEffectExt* owner, OperationLog& operationLog)
        : HostEditor(owner), log(operationLog) {}
    int32_t getBounds(EditorRect**) override { return log.note("getBounds"), 1; }
    int32_t attach(void*) override { return log.note("attach"), 1; }
    void detach() override { log.note("detach"); }
    void idle() override { log.note("idle"); }
    int32_t keyPressed(KeyRecord*) override { return log.note("keyPressed"), 1; }
    int32_t keyReleased(KeyRecord*) override { return log.note("keyReleased"), 1; }
    int32_t chooseKnobMode(int32_t) override { return log.note("chooseKnobMode"), 1; }

  private:
    OperationLog& log;
};

// The operation each request calls with a non-zero value, from the request tables of the
// interface's documentation; the opcodes it leaves out call nothing.
const std::map<int32_t, std::string> kOperationOf = {
    {ReqOpen, "onOpen"},
    {ReqClose, "onClose"},
    {ReqSetProgram, "selectProgram"},
    {ReqGetProgram, "programIndex"},
    {ReqSetProgramName, "renameProgram"},
    {ReqGetProgramName, "copyProgramName"},
    {ReqParamUnit, "copyParameterUnit"},
    {ReqParamText, "copyParameterText"},
    {ReqParamTitle, "copyParameterTitle"},
    {ReqMeter, "meterLevel"},
    {ReqSetSampleRate, "changeSampleRate"},
    {ReqSetBlockSize, "changeBlockSize"},
    {ReqSetActive, "onActivate"},
    {ReqEditorRect, "getBounds"},
    {ReqEditorOpen, "attach"},
    {ReqEditorClose, "detach"},
    {ReqEditorIdle, "idle"},
    {ReqGetChunk, "saveState"},
    {ReqSetChunk, "restoreState"},
    {ReqEvents, "acceptEvents"},
    {ReqCanAutomate, "canAutomate"},
    {ReqParamFromText, "parameterFromText"},
    {ReqCategoryCount, "categoryCount"},
    {ReqIndexedProgramName, "indexedProgramName"},
    {ReqCopyProgram, "copyProgramTo"},
    {ReqInputWired, "inputWired"},
    {ReqOutputWired, "outputWired"},
    {ReqInputInfo, "inputInfo"},
    {ReqOutputInfo, "outputInfo"},
    {ReqCategory, "pluginCategory"},
    {ReqPosition, "currentPosition"},
    {ReqDestination, "destinationBuffer"},
    {ReqOfflineFiles, "offlineFilesChanged"},
    {ReqOfflineReady, "offlineGetReady"},
    {ReqOfflineProcess, "offlineProcess"},
    {ReqVariableIo, "variableIo"},
    {ReqSpeakers, "setSpeakers"},
    {ReqBlockAndRate, "setBlockAndRate"},
    {ReqBypass, "switchBypass"},
    {ReqEffectName, "effectName"},
    {ReqErrorText, "errorText"},
    {ReqVendorName, "vendorName"},
    {ReqProductName, "productName"},
    {ReqVendorVersion, "vendorVersion"},
    {ReqVendorSpecific, "vendorSpecific"},
    {ReqCapability, "supportsCapability"},
    {ReqTailSize, "tailSize"},
    {ReqIdle, "idleRequest"},
    {ReqIcon, "icon"},
    {ReqViewPosition, "moveView"},
    {ReqParamInfo, "parameterInfo"},
    {ReqKeysNeeded, "keysNeeded"},
    {ReqInterfaceVersion, "interfaceVersion"},
    {ReqKeyDown, "keyPressed"},
    {ReqKeyUp, "keyReleased"},
    {ReqKnobMode, "chooseKnobMode"},
    {ReqMidiProgramName, "midiProgramName"},
    {ReqMidiCurrentProgram, "midiCurrentProgram"},
    {ReqMidiProgramCategory, "midiProgramCategory"},
    {ReqMidiProgramsChanged, "midiProgramsChanged"},
    {ReqMidiKeyName, "midiKeyName"},
    {ReqBeginProgramLoad, "beginProgramLoad"},
    {ReqEndProgramLoad, "endProgramLoad"},
};

TEST(RequestRouting, EveryOpcodeReachesTheOperationOfItsName) {
    OperationLog log;
    RoutingEffect effect(log);
    effect.registerEditor(new RoutingEditor(&effect, log));
    char buffer[256] = {};
    for (int32_t opcode = 0; opcode <= kLastExtRequest; ++opcode) {
        effect.handleRequest(opcode, RequestArgs{1, 1, buffer, 1.0f});
        const auto expected = kOperationOf.find(opcode);
        EXPECT_EQ(log.take(), expected == kOperationOf.end() ? "" : expected->second)
            << "opcode " << opcode;
    }
    effect.handleRequest(ReqSetActive, RequestArgs{0, 0, nullptr, 0.0f});
    EXPECT_EQ(log.take(), "onDeactivate");
}

TEST(KeyedTable, TellsACompleteTableFromAGapAStrayAndADoubledKey) {
    constexpr KeyedEntry<int> complete[] = {{11, 1}, {10, 0}, {12, 2}};
    constexpr KeyedEntry<int> gap[] = {{10, 0}, {12, 2}};
    constexpr KeyedEntry<int> doubled[] = {{10, 0}, {11, 1}, {11, 2}};
    constexpr KeyedEntry<int> stray[] = {{10, 0}, {11, 1}, {13, 2}};
    static_assert(keyCoverage<3>(10, complete) == KeyCoverage::Complete);
    static_assert(keyCoverage<3>(10, gap) == KeyCoverage::KeyMissing);
    static_assert(keyCoverage<3>(10, doubled) == KeyCoverage::KeyTwice);
    static_assert(keyCoverage<3>(10, stray) == KeyCoverage::KeyOutsideTable);
    constexpr std::array<int, 3> table = tableByKey<int, 3>(10, complete);
    EXPECT_EQ(table, (std::array<int, 3>{0, 1, 2}));
}

}  // namespace
}  // namespace marrowfold
