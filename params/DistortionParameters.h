#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "params/ParameterIndex.h"
#include "params/ParameterSet.h"
#include "params/PresetRecord.h"

namespace marrowfold {

inline constexpr int32_t kInitialPresetCount = 17;

// The effect's parameter model: the sixteen parameters and the bank of 64 presets that forms the
// data of parameter 8. Parameters 0..6 live in the current preset record, so selecting a preset
// (parameter 7) switches them at once.
class DistortionParameters : public ParameterSet {
  public:
    // Registers the parameter table; the bank starts as 64 new presets at 44100 Hz and
    // parameter 9 ("NrOfPreset") at 17.
    DistortionParameters();
    ~DistortionParameters() override;

    int32_t currentPreset() const { return currentPreset_.load(std::memory_order_relaxed); }
    // Parameter 9 truncated and kept within 1..64, so it can divide and bound a bank index
    // whatever a chunk or a caller stored there.
    int32_t presetCount() const;

    void setValue(int32_t index, float real) override;
    float getValue(int32_t index) const override;
    // Data of parameter 8 is addressed by record: bytes from 100 x recordIndex. A record index
    // outside the bank, a negative length or a null pointer copies nothing; a length running
    // past the end of the bank is cut at the end.
    void setData(int32_t index, const void* source, int32_t length, int32_t recordIndex) override;
    int32_t getData(int32_t index, void* dest, int32_t length, int32_t recordIndex) const override;

  private:
    void selectPreset(float value);
    PresetRecord& current() { return bank_[currentPreset()]; }
    const PresetRecord& current() const { return bank_[currentPreset()]; }
    // Bytes of the bank that a request may touch, or 0 when it touches none.
    static int32_t bankSpan(int32_t length, int32_t recordIndex);

    std::unique_ptr<PresetRecord[]> bank_;
    // Set by preset selection on the host's or the editor's thread, read by the audio thread.
    std::atomic<int32_t> currentPreset_{0};
};

}  // namespace marrowfold
