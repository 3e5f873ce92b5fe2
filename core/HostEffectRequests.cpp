// The requests 0..24 by opcode.
#include "core/HostEditor.h"
#include "core/HostEffect.h"
#include "core/KeyedTable.h"
#include "core/Numeric.h"

namespace marrowfold {

namespace {

constexpr int32_t kIdentifyAnswer = fourCharCode("NvEf");
constexpr double kMeterScale = 32767.0;

intptr_t answerNothing(HostEffect&, const RequestArgs&) {
    return 0;
}

}  // namespace

// Each request's handler, next to the opcode it answers.
struct HostEffect::Requests {
    static constexpr KeyedEntry<RequestHandler> entries[] = {
        {ReqOpen, [](HostEffect& e, const RequestArgs&) -> intptr_t { return e.onOpen(), 0; }},
        {ReqClose, [](HostEffect& e, const RequestArgs&) -> intptr_t { return e.onClose(), 0; }},
        {ReqSetProgram,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             if (a.valueAsInt() < e.programCount) e.selectProgram(a.valueAsInt());
             return 0;
         }},
        {ReqGetProgram,
         [](HostEffect& e, const RequestArgs&) -> intptr_t { return e.programIndex(); }},
        {ReqSetProgramName,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.renameProgram(static_cast<char*>(a.ptr)), 0;
         }},
        {ReqGetProgramName,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.copyProgramName(static_cast<char*>(a.ptr)), 0;
         }},
        {ReqParamUnit,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.copyParameterUnit(a.index, static_cast<char*>(a.ptr)), 0;
         }},
        {ReqParamText,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.copyParameterText(a.index, static_cast<char*>(a.ptr)), 0;
         }},
        {ReqParamTitle,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.copyParameterTitle(a.index, static_cast<char*>(a.ptr)), 0;
         }},
        {ReqMeter,
         [](HostEffect& e, const RequestArgs&) -> intptr_t {
             return truncateToInt32(static_cast<double>(e.meterLevel()) * kMeterScale);
         }},
        {ReqSetSampleRate,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.changeSampleRate(a.opt), 0;
         }},
        {ReqSetBlockSize,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.changeBlockSize(a.valueAsInt()), 0;
         }},
        {ReqSetActive,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             if (a.value == 0) {
                 e.onDeactivate();
             } else {
                 e.onActivate();
             }
             return 0;
         }},
        {ReqEditorRect,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.editor ? e.editor->getBounds(static_cast<EditorRect**>(a.ptr)) : 0;
         }},
        {ReqEditorOpen,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.editor ? e.editor->attach(a.ptr) : 0;
         }},
        {ReqEditorClose,
         [](HostEffect& e, const RequestArgs&) -> intptr_t {
             if (e.editor) e.editor->detach();
             return 0;
         }},
        {ReqUnused16, answerNothing},
        {ReqUnused17, answerNothing},
        {ReqUnused18, answerNothing},
        {ReqEditorIdle,
         [](HostEffect& e, const RequestArgs&) -> intptr_t {
             if (e.editor) e.editor->idle();
             return 0;
         }},
        {ReqUnused20, answerNothing},
        {ReqUnused21, answerNothing},
        {ReqIdentify, [](HostEffect&, const RequestArgs&) -> intptr_t { return kIdentifyAnswer; }},
        {ReqGetChunk,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.saveState(static_cast<void**>(a.ptr), a.index != 0);
         }},
        {ReqSetChunk,
         [](HostEffect& e, const RequestArgs& a) -> intptr_t {
             return e.restoreState(a.ptr, a.valueAsInt(), a.index != 0);
         }},
    };
};

constinit const HostEffect::RequestTable HostEffect::requestHandlers =
    tableByKey<RequestHandler, std::tuple_size_v<RequestTable>>(ReqOpen, Requests::entries);

}  // namespace marrowfold
