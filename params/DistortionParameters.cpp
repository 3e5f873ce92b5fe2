#include "params/DistortionParameters.h"

#include <algorithm>

#include "core/Numeric.h"
#include "params/ParameterTable.h"
#include "params/PresetTemplate.h"
#include "params/SharedWords.h"

namespace marrowfold {

namespace {

bool isRecordLevel(int32_t index) {
    return index >= ParamBand1 && index <= ParamOut;
}

// The record field behind parameters 0..5 (float& or const float&).
template <typename Record>
auto& recordLevel(Record& record, int32_t index) {
    return index < ParamIn ? record.bandLevel[index]
                           : (index == ParamIn ? record.inputGain : record.outputGain);
}

}  // namespace

DistortionParameters::DistortionParameters()
    : ParameterSet(ParamCount), bank_(std::make_unique<PresetRecord[]>(kBankRecordCount)) {
    for (int32_t index = 0; index < ParamCount; ++index) {
        const ParameterSpec& spec = parameterSpec(index);
        registerParameter(index, spec.defaultValue, spec.range.minimum(), spec.range.maximum(),
                          spec.range.step(), spec.unit, spec.name, spec.notify, spec.dataSize);
    }
    // The engine may look at the bank before any program is loaded: give it a defined content.
    const PresetRecord fresh = makeNewPreset("", defaultBandEdges(kDefaultSampleRate));
    std::fill_n(bank_.get(), kBankRecordCount, fresh);
    setValue(ParamPresetCount, static_cast<float>(kInitialPresetCount));
}

DistortionParameters::~DistortionParameters() = default;

int32_t DistortionParameters::presetCount() const {
    const int32_t stored = truncateToInt32(ParameterSet::getValue(ParamPresetCount));
    return std::clamp(stored, 1, kBankRecordCount);
}

void DistortionParameters::setValue(int32_t index, float real) {
    if (isRecordLevel(index)) {
        storeShared(recordLevel(current(), index), real);
    } else if (index == ParamShape) {
        storeShared(current().shape, truncateToInt32(real));
    } else if (index == ParamPreset) {
        selectPreset(real);
        return;
    }
    ParameterSet::setValue(index, real);
}

// Selects record i = trunc(value x N + 0.5), kept within 0..N-1, and stores i / N rather than
// the value given, so the host value of "Preset" is always a multiple of 1/N.
void DistortionParameters::selectPreset(float value) {
    const int32_t count = presetCount();
    const int32_t index = truncateToInt32(static_cast<double>(value) * count + 0.5);
    const int32_t selected = std::clamp(index, 0, count - 1);
    currentPreset_.store(selected, std::memory_order_relaxed);
    ParameterSet::setValue(ParamPreset, static_cast<float>(selected) / static_cast<float>(count));
}

float DistortionParameters::getValue(int32_t index) const {
    if (isRecordLevel(index)) {
        return loadShared(recordLevel(current(), index));
    }
    if (index == ParamShape) return static_cast<float>(loadShared(current().shape));
    return ParameterSet::getValue(index);
}

int32_t DistortionParameters::bankSpan(int32_t length, int32_t recordIndex) {
    if (length <= 0 || static_cast<uint32_t>(recordIndex) >= kBankRecordCount) return 0;
    return std::min(length, kBankSize - recordIndex * kPresetRecordSize);
}

void DistortionParameters::setData(int32_t index, const void* source, int32_t length,
                                   int32_t recordIndex) {
    if (index != ParamBank) {
        ParameterSet::setData(index, source, length, recordIndex);
        return;
    }
    const int32_t span = bankSpan(length, recordIndex);
    if (span == 0 || source == nullptr) return;
    auto* bankBytes = reinterpret_cast<unsigned char*>(bank_.get());
    copyShared(bankBytes + recordIndex * kPresetRecordSize, source, span);
    ParameterSet::setData(index, source, length, recordIndex);
}

int32_t DistortionParameters::getData(int32_t index, void* dest, int32_t length,
                                      int32_t recordIndex) const {
    if (index != ParamBank) return ParameterSet::getData(index, dest, length, recordIndex);
    const int32_t span = bankSpan(length, recordIndex);
    if (span == 0 || dest == nullptr) return 0;
    const auto* bankBytes = reinterpret_cast<const unsigned char*>(bank_.get());
    copyShared(dest, bankBytes + recordIndex * kPresetRecordSize, span);
    return span;
}

}  // namespace marrowfold
