#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "core/ParameterRange.h"

namespace marrowfold {

inline constexpr int32_t kParameterTextSize = 16;
inline constexpr int32_t kPlainValueSize = 4;  // dataSize of an ordinary parameter

struct ParameterDesc {
    float value;         // current real value
    float defaultValue;  // value given at registration
    ParameterRange range;
    char unit[kParameterTextSize];
    char name[kParameterTextSize];
    int32_t dataSize;  // bytes in a stored program: 4, or the size of a data parameter
};

// A table of parameters with real values, host values 0..1 and change tracking for the audio
// thread. Index arguments are checked as unsigned against count(): setters ignore a bad index,
// getters answer 0.
//
// The audio thread reads values with takeValue/takeData, which clear the changed bit first and
// read afterwards; writers store first and set the bit afterwards, so a write racing a take is
// taken again with the next block. The masks and the three 16-bit counters are the only words
// shared between the threads.
class ParameterSet {
  public:
    static constexpr uint32_t kMaxCount = 32;  // one bit per parameter in the masks

    // Counts above kMaxCount are cut to kMaxCount.
    explicit ParameterSet(uint32_t count);
    virtual ~ParameterSet();
    ParameterSet(const ParameterSet&) = delete;
    ParameterSet& operator=(const ParameterSet&) = delete;

    void registerParameter(int32_t index, float defaultValue, float minValue, float maxValue,
                           float step, const char* unit, const char* name, bool notify,
                           int32_t dataSize);
    void markChanged(int32_t index);
    bool isChanged(int32_t index) const;
    float toNormalized(int32_t index, float real) const;
    float toReal(int32_t index, float normalized) const;
    bool hasData(int32_t index) const;
    const ParameterDesc* descriptor(int32_t index) const;  // nullptr outside 0..count-1
    uint32_t count() const { return count_; }

    virtual void setValue(int32_t index, float real);
    // Audio thread: clears the changed bit, then reads the value.
    virtual float takeValue(int32_t index);
    virtual float getValue(int32_t index) const;
    virtual void setNormalized(int32_t index, float normalized);
    virtual float getNormalized(int32_t index) const;
    virtual void setData(int32_t index, const void* source, int32_t length, int32_t recordIndex);
    // Audio thread: clears the changed bit, then reads the data.
    virtual int32_t takeData(int32_t index, void* dest, int32_t length, int32_t recordIndex);
    virtual int32_t getData(int32_t index, void* dest, int32_t length, int32_t recordIndex) const;

    uint32_t changedMask() const { return changedMask_.load(); }
    uint32_t notifyMask() const { return notifyMask_.load(); }
    // Makes the engine receive every followed value again (engine rebuild).
    void markAllNotifyChanged() { changedMask_.store(notifyMask_.load()); }

    int16_t busyCount() const { return busyCount_.load(); }
    void raiseBusy() { busyCount_.fetch_add(1); }
    void lowerBusy() { lowerCounter(busyCount_); }
    int16_t clipRequest() const { return clipRequest_.load(); }
    void setClipRequest(int16_t value) { clipRequest_.store(value); }
    int16_t clipReading() const { return clipReading_.load(); }
    void raiseClipReading() { clipReading_.fetch_add(1); }
    void lowerClipReading() { lowerCounter(clipReading_); }

  protected:
    bool isValidIndex(int32_t index) const { return static_cast<uint32_t>(index) < count_; }
    // Sets the changed bit of index when the parameter is followed by the engine.
    void markNotifyChanged(int32_t index);
    // Clears the changed bit of index, and every bit of a parameter the engine does not follow.
    void clearTaken(int32_t index);

  private:
    // Subtracts 1 unless the counter is already 0 (or below).
    static void lowerCounter(std::atomic<int16_t>& counter);
    static uint32_t bit(int32_t index) { return 1u << static_cast<uint32_t>(index); }

    std::unique_ptr<ParameterDesc[]> descriptors_;
    uint32_t count_;
    std::atomic<uint32_t> changedMask_{0};
    std::atomic<uint32_t> notifyMask_{0};
    std::atomic<int16_t> clipRequest_{1};
    std::atomic<int16_t> clipReading_{0};
    std::atomic<int16_t> busyCount_{0};
};

// Raises busyCount for its lifetime, so the audio thread does not apply half of a group of writes.
class BusyScope {
  public:
    explicit BusyScope(ParameterSet& set) : set_(set) { set_.raiseBusy(); }
    ~BusyScope() { set_.lowerBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    ParameterSet& set_;
};

}  // namespace marrowfold
