#include "host/ParameterProtocol.h"

#include "core/VendorRequests.h"
#include "params/HostControls.h"

namespace marrowfold {

namespace {

// Hosts offer titles this large; the module writes far less.
constexpr size_t kTitleBytes = 256;

}  // namespace

std::string TitleMismatch::describe() const {
    return "the module's parameter " + std::to_string(parameter) + " is '" + title + "', not '" +
           expected + "'";
}

std::optional<TitleMismatch> findTitleMismatch(EffectRecord& record) {
    for (const HostControl& control : kHostControls) {
        if (!control.isParameter()) continue;
        char title[kTitleBytes] = {};
        record.dispatchEntry(&record, ReqParamTitle, control.parameter, 0, title, 0.0f);
        if (control.name != title)
            return TitleMismatch{control.parameter, title, std::string(control.name)};
    }
    return std::nullopt;
}

float presetSelectorValue(int32_t index, int32_t count) {
    return static_cast<float>(index) / static_cast<float>(count);
}

void selectPresetAndWriteBack(EffectRecord& record, float selectorValue) {
    record.setParameterEntry(&record, kPresetSelectorParameter, selectorValue);
    for (const HostControl& control : kHostControls) {
        if (!control.has(kStoredInPreset)) continue;
        const float stored = record.getParameterEntry(&record, control.parameter);
        record.setParameterEntry(&record, control.parameter, stored);
    }
}

BandControls readModuleBands(EffectRecord& record) {
    BandControls bands{};
    record.dispatchEntry(&record, ReqVendorSpecific, kBandsRequestIndex, kBandsReadValue, &bands,
                         0.0f);
    return bands;
}

bool editModuleBands(EffectRecord& record, BandControls& wanted) {
    return record.dispatchEntry(&record, ReqVendorSpecific, kBandsRequestIndex, kBandsEditValue,
                                &wanted, 0.0f) == 1;
}

}  // namespace marrowfold
