// The requests 25..68 by opcode.
#include "core/HostEditor.h"
#include "core/HostEffectExt.h"
#include "core/KeyedTable.h"

namespace marrowfold {

namespace {

intptr_t answer(bool yes) {
    return yes ? 1 : 0;
}

char* asText(void* ptr) {
    return static_cast<char*>(ptr);
}

}  // namespace

// Each request's handler, next to the opcode it answers.
struct HostEffectExt::Requests {
    static constexpr KeyedEntry<RequestHandler> entries[] = {
        {ReqEvents,
         [](HostEffectExt& e, const RequestArgs& a) -> intptr_t { return e.acceptEvents(a.ptr); }},
        {ReqCanAutomate,
         [](HostEffectExt& e, const RequestArgs& a) { return answer(e.canAutomate(a.index)); }},
        {ReqParamFromText,
         [](HostEffectExt& e, const RequestArgs& a) {
             return answer(e.parameterFromText(a.index, asText(a.ptr)));
         }},
        {ReqCategoryCount,
         [](HostEffectExt& e, const RequestArgs&) -> intptr_t { return e.categoryCount(); }},
        {ReqIndexedProgramName,
         [](HostEffectExt& e, const RequestArgs& a) {
             return answer(e.indexedProgramName(a.valueAsInt(), a.index, asText(a.ptr)));
         }},
        {ReqCopyProgram,
         [](HostEffectExt& e, const RequestArgs& a) { return answer(e.copyProgramTo(a.index)); }},
        {ReqInputWired,
         [](HostEffectExt& e, const RequestArgs& a) -> intptr_t {
             return e.inputWired(a.index, a.value != 0), 1;
         }},
        {ReqOutputWired,
         [](HostEffectExt& e, const RequestArgs& a) -> intptr_t {
             return e.outputWired(a.index, a.value != 0), 1;
         }},
        {ReqInputInfo, [](HostEffectExt& e,
                          const RequestArgs& a) { return answer(e.inputInfo(a.index, a.ptr)); }},
        {ReqOutputInfo, [](HostEffectExt& e,
                           const RequestArgs& a) { return answer(e.outputInfo(a.index, a.ptr)); }},
        {ReqCategory,
         [](HostEffectExt& e, const RequestArgs&) -> intptr_t { return e.pluginCategory(); }},
        {ReqPosition,
         [](HostEffectExt& e, const RequestArgs&) -> intptr_t { return e.currentPosition(); }},
        {ReqDestination,
         [](HostEffectExt& e, const RequestArgs&) -> intptr_t { return e.destinationBuffer(); }},
        {ReqOfflineFiles,
         [](HostEffectExt& e, const RequestArgs& a) {
             return answer(e.offlineFilesChanged(a.ptr, a.valueAsInt(), a.index != 0));
         }},
        {ReqOfflineReady,
         [](HostEffectExt& e, const RequestArgs& a) {
             return answer(e.offlineGetReady(a.ptr, a.valueAsInt()));
         }},
        {ReqOfflineProcess,
         [](HostEffectExt& e, const RequestArgs& a) {
             return answer(e.offlineProcess(a.ptr, a.valueAsInt()));
         }},
        {ReqVariableIo,
         [](HostEffectExt& e, const RequestArgs& a) { return answer(e.variableIo(a.ptr)); }},
        {ReqSpeakers,
         [](HostEffectExt& e, const RequestArgs& a) {
             return answer(e.setSpeakers(a.valueAsPointer(), a.ptr));
         }},
        {ReqBlockAndRate,
         [](HostEffectExt& e, const RequestArgs& a) -> intptr_t {
             return e.setBlockAndRate(a.valueAsInt(), a.opt), 1;
         }},
        {ReqBypass, [](HostEffectExt& e,
                       const RequestArgs& a) { return answer(e.switchBypass(a.value != 0)); }},
        {ReqEffectName, [](HostEffectExt& e,
                           const RequestArgs& a) { return answer(e.effectName(asText(a.ptr))); }},
        {ReqErrorText,
         [](HostEffectExt& e, const RequestArgs& a) { return answer(e.errorText(asText(a.ptr))); }},
        {ReqVendorName, [](HostEffectExt& e,
                           const RequestArgs& a) { return answer(e.vendorName(asText(a.ptr))); }},
        {ReqProductName, [](HostEffectExt& e,
                            const RequestArgs& a) { return answer(e.productName(asText(a.ptr))); }},
        {ReqVendorVersion,
         [](HostEffectExt& e, const RequestArgs&) -> intptr_t { return e.vendorVersion(); }},
        {ReqVendorSpecific,
         [](HostEffectExt& e, const RequestArgs& a) -> intptr_t {
             return e.vendorSpecific(a.index, a.value, a.ptr, a.opt);
         }},
        {ReqCapability,
         [](HostEffectExt& e, const RequestArgs& a) -> intptr_t {
             return e.supportsCapability(asText(a.ptr));
         }},
        {ReqTailSize,
         [](HostEffectExt& e, const RequestArgs&) -> intptr_t { return e.tailSize(); }},
        {ReqIdle, [](HostEffectExt& e, const RequestArgs&) -> intptr_t { return e.idleRequest(); }},
        {ReqIcon, [](HostEffectExt& e, const RequestArgs&) -> intptr_t { return e.icon(); }},
        {ReqViewPosition,
         [](HostEffectExt& e, const RequestArgs& a) {
             return answer(e.moveView(a.index, a.valueAsInt()));
         }},
        {ReqParamInfo,
         [](HostEffectExt& e, const RequestArgs& a) {
             return answer(e.parameterInfo(a.index, a.ptr));
         }},
        // Inverted: 1 tells the host that keys are not needed.
        {ReqKeysNeeded,
         [](HostEffectExt& e, const RequestArgs&) { return answer(!e.keysNeeded()); }},
        {ReqInterfaceVersion,
         [](HostEffectExt& e, const RequestArgs&) -> intptr_t { return e.interfaceVersion(); }},
        {ReqKeyDown, [](HostEffectExt& e, const RequestArgs& a) { return e.forwardKey(a, true); }},
        {ReqKeyUp, [](HostEffectExt& e, const RequestArgs& a) { return e.forwardKey(a, false); }},
        {ReqKnobMode,
         [](HostEffectExt& e, const RequestArgs& a) -> intptr_t {
             return e.editor ? e.editor->chooseKnobMode(a.valueAsInt()) : 0;
         }},
        {ReqMidiProgramName,
         [](HostEffectExt& e, const RequestArgs& a) -> intptr_t {
             return e.midiProgramName(a.index, a.ptr);
         }},
        {ReqMidiCurrentProgram,
         [](HostEffectExt& e, const RequestArgs& a) -> intptr_t {
             return e.midiCurrentProgram(a.index, a.ptr);
         }},
        {ReqMidiProgramCategory,
         [](HostEffectExt& e, const RequestArgs& a) -> intptr_t {
             return e.midiProgramCategory(a.index, a.ptr);
         }},
        {ReqMidiProgramsChanged,
         [](HostEffectExt& e, const RequestArgs& a) {
             return answer(e.midiProgramsChanged(a.index));
         }},
        {ReqMidiKeyName,
         [](HostEffectExt& e, const RequestArgs& a) {
             return answer(e.midiKeyName(a.index, a.ptr));
         }},
        {ReqBeginProgramLoad,
         [](HostEffectExt& e, const RequestArgs&) { return answer(e.beginProgramLoad()); }},
        {ReqEndProgramLoad,
         [](HostEffectExt& e, const RequestArgs&) { return answer(e.endProgramLoad()); }},
    };
};

constinit const HostEffectExt::RequestTable HostEffectExt::requestHandlers =
    tableByKey<RequestHandler, std::tuple_size_v<RequestTable>>(kFirstExtRequest,
                                                                Requests::entries);

}  // namespace marrowfold
