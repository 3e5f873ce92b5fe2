#include "params/ParameterSet.h"

#include "params/SharedWords.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace marrowfold {

namespace {

// A host value maps to step k as soon as value x stepCount reaches k - 0.65.
constexpr long double kStepBias = 0.65;

void copyText(char (&dest)[kParameterTextSize], const char* source) {
    std::memset(dest, 0, sizeof dest);
    if (source != nullptr) std::strncpy(dest, source, sizeof dest - 1);
}

}  // namespace

ParameterSet::ParameterSet(uint32_t count)
    : descriptors_(std::make_unique<ParameterDesc[]>(std::min(count, kMaxCount))),
      count_(std::min(count, kMaxCount)) {}

ParameterSet::~ParameterSet() = default;

void ParameterSet::registerParameter(int32_t index, float defaultValue, float minValue,
                                     float maxValue, float step, const char* unit, const char* name,
                                     bool notify, int32_t dataSize) {
    if (!isValidIndex(index)) return;
    ParameterDesc& desc = descriptors_[index];
    desc.value = defaultValue;
    desc.defaultValue = defaultValue;
    desc.minValue = minValue;
    desc.maxValue = maxValue;
    desc.step = step;
    // Single precision on purpose: (12 - -12) / 0.1f must give exactly 240.
    const float range = maxValue - minValue;
    // An empty range (the data parameter) has no scale; 0 keeps normalised values finite.
    desc.rangeScale = range != 0.0f ? 1.0f / range : 0.0f;
    desc.stepCount = step > 0.0f ? range / step : 0.0f;
    copyText(desc.unit, unit);
    copyText(desc.name, name);
    desc.dataSize = dataSize;
    if (notify) {
        notifyMask_.fetch_or(bit(index));
        changedMask_.fetch_or(bit(index));
    }
}

void ParameterSet::markChanged(int32_t index) {
    if (isValidIndex(index)) changedMask_.fetch_or(bit(index));
}

bool ParameterSet::isChanged(int32_t index) const {
    return isValidIndex(index) && (changedMask_.load() & bit(index)) != 0;
}

void ParameterSet::markNotifyChanged(int32_t index) {
    changedMask_.fetch_or(bit(index) & notifyMask_.load());
}

// Extended precision, rounded once to float, as the reference platform computes it.
float ParameterSet::toNormalized(int32_t index, float real) const {
    if (!isValidIndex(index)) return 0.0f;
    const ParameterDesc& desc = descriptors_[index];
    return static_cast<float>((static_cast<long double>(real) - desc.minValue) * desc.rangeScale);
}

// Extended precision, rounded once to float: host value 0.5 of a -12..12 dB level in 0.1 dB
// steps gives 120 x 0.1f - 12 = 1.788139e-7, which saved presets carry.
float ParameterSet::toReal(int32_t index, float normalized) const {
    if (!isValidIndex(index)) return 0.0f;
    const ParameterDesc& desc = descriptors_[index];
    const long double minValue = desc.minValue;
    if (desc.stepCount > 0.0f) {
        const long double k =
            std::floor(static_cast<long double>(normalized) * desc.stepCount + kStepBias);
        return static_cast<float>(k * desc.step + minValue);
    }
    return static_cast<float>(minValue +
                              (static_cast<long double>(desc.maxValue) - minValue) * normalized);
}

bool ParameterSet::hasData(int32_t index) const {
    return isValidIndex(index) && descriptors_[index].dataSize != kPlainValueSize;
}

const ParameterDesc* ParameterSet::descriptor(int32_t index) const {
    return isValidIndex(index) ? &descriptors_[index] : nullptr;
}

void ParameterSet::setValue(int32_t index, float real) {
    if (!isValidIndex(index)) return;
    storeShared(descriptors_[index].value, real);
    markNotifyChanged(index);
}

// The changed bit is cleared before the value is read. Writers store first and set the bit
// afterwards, so a write that lands while the value is being read leaves its bit set and is taken
// with the next block; reading first would let such a write's bit be cleared unread.
float ParameterSet::takeValue(int32_t index) {
    if (!isValidIndex(index)) return 0.0f;
    clearTaken(index);
    return getValue(index);
}

float ParameterSet::getValue(int32_t index) const {
    return isValidIndex(index) ? loadShared(descriptors_[index].value) : 0.0f;
}

void ParameterSet::setNormalized(int32_t index, float normalized) {
    if (isValidIndex(index)) setValue(index, toReal(index, normalized));
}

float ParameterSet::getNormalized(int32_t index) const {
    return isValidIndex(index) ? toNormalized(index, getValue(index)) : 0.0f;
}

void ParameterSet::setData(int32_t index, const void*, int32_t, int32_t) {
    if (isValidIndex(index)) markNotifyChanged(index);
}

// Clears before it reads, for the reason given at takeValue.
int32_t ParameterSet::takeData(int32_t index, void* dest, int32_t length, int32_t recordIndex) {
    if (!isValidIndex(index)) return 0;
    clearTaken(index);
    return getData(index, dest, length, recordIndex);
}

void ParameterSet::clearTaken(int32_t index) {
    changedMask_.fetch_and(notifyMask_.load() & ~bit(index));
}

int32_t ParameterSet::getData(int32_t, void*, int32_t, int32_t) const {
    return 0;
}

void ParameterSet::lowerCounter(std::atomic<int16_t>& counter) {
    int16_t current = counter.load();
    while (current > 0 && !counter.compare_exchange_weak(current, current - 1)) {
    }
}

}  // namespace marrowfold
