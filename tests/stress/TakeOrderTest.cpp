// The hand-over of parameter changes to the audio thread when a write lands in the middle of a
// take. Writers store first and mark the parameter changed afterwards; the audio thread takes a
// value and clears its mark. Whatever the interleaving, the write must reach the engine by the
// next block at the latest: its mark may not be cleared unread.
#include <cstring>

#include <gtest/gtest.h>

#include "params/DistortionParameters.h"

namespace marrowfold {
namespace {

// Simulates the host thread: a write that lands while the audio thread is reading.
class WriteDuringRead : public DistortionParameters {
  public:
    void writeDuringNextRead(int32_t index, float value) {
        pendingIndex = index;
        pendingValue = value;
    }
    void writeRecordDuringNextRead(const PresetRecord& record, int32_t slot) {
        pendingRecord = record;
        pendingSlot = slot;
    }

    float getValue(int32_t index) const override {
        const float seen = DistortionParameters::getValue(index);
        if (index == pendingIndex) {
            pendingIndex = -1;
            writer().setValue(index, pendingValue);
        }
        return seen;
    }

    int32_t getData(int32_t index, void* dest, int32_t length, int32_t slot) const override {
        const int32_t copied = DistortionParameters::getData(index, dest, length, slot);
        if (index == ParamBank && pendingSlot >= 0) {
            const int32_t target = pendingSlot;
            pendingSlot = -1;
            writer().setData(ParamBank, &pendingRecord, kPresetRecordSize, target);
        }
        return copied;
    }

  private:
    WriteDuringRead& writer() const { return const_cast<WriteDuringRead&>(*this); }

    mutable int32_t pendingIndex = -1;
    mutable float pendingValue = 0.0f;
    mutable int32_t pendingSlot = -1;
    mutable PresetRecord pendingRecord{};
};

TEST(TakeOrder, AValueWrittenDuringATakeArrivesWithTheNextTake) {
    // Gains (in the current preset), Shape, Solo and Modify: every value the engine follows.
    const int32_t followed[] = {ParamBand1, ParamBand3, ParamIn,    ParamOut,
                                ParamShape, ParamSolo,  ParamModify};
    for (int32_t index : followed) {
        WriteDuringRead model;
        model.setValue(index, 1.0f);
        model.writeDuringNextRead(index, 3.0f);
        EXPECT_EQ(model.takeValue(index), 1.0f) << index;
        ASSERT_TRUE(model.isChanged(index)) << "the write during the take lost its mark: " << index;
        EXPECT_EQ(model.takeValue(index), 3.0f) << index;
        EXPECT_FALSE(model.isChanged(index)) << index;
    }
}

TEST(TakeOrder, ARecordWrittenDuringATakeArrivesWithTheNextTake) {
    WriteDuringRead model;
    PresetRecord edited{};
    model.getData(ParamBank, &edited, kPresetRecordSize, 0);
    edited.bandEdge[2] = 1234.0f;
    model.markChanged(ParamBank);
    model.writeRecordDuringNextRead(edited, 0);

    PresetRecord taken{};
    model.takeData(ParamBank, &taken, kPresetRecordSize, 0);
    EXPECT_NE(taken.bandEdge[2], 1234.0f) << "the first take read the record before the write";
    ASSERT_TRUE(model.isChanged(ParamBank)) << "the write during the take lost its mark";
    model.takeData(ParamBank, &taken, kPresetRecordSize, 0);
    EXPECT_EQ(taken.bandEdge[2], 1234.0f);
    EXPECT_FALSE(model.isChanged(ParamBank));
}

}  // namespace
}  // namespace marrowfold
