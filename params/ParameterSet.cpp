#include "params/ParameterSet.h"

#include "params/SharedWords.h"

#include <algorithm>
#include <cstring>

namespace marrowfold {

namespace {

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
    desc.range = ParameterRange(minValue, maxValue, step);
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

float ParameterSet::toNormalized(int32_t index, float real) const {
    return isValidIndex(index) ? descriptors_[index].range.toNormalized(real) : 0.0f;
}

float ParameterSet::toReal(int32_t index, float normalized) const {
    return isValidIndex(index) ? descriptors_[index].range.toReal(normalized) : 0.0f;
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
