#include "params/EditorProtocol.h"

namespace marrowfold {

namespace {

struct ShapeStep {
    double below;     // selector values below this ...
    float hostValue;  // ... give this host value of "Shape"
};

constexpr ShapeStep kShapeSteps[] = {{0.1, 0.0f}, {0.3, 0.25f}, {0.55, 0.5f}, {0.8, 0.75f}};
constexpr float kTopShapeValue = 1.0f;

}  // namespace

float snapShapeValue(float selectorValue) {
    for (const ShapeStep& step : kShapeSteps) {
        if (static_cast<double>(selectorValue) < step.below) return step.hostValue;
    }
    return kTopShapeValue;
}

SoloState setSolo(DistortionParameters& model, float buttonValue, int32_t selectedBand) {
    if (buttonValue == 0.0f) {
        model.setValue(ParamSolo, -1.0f);
        return {false, selectedBand};
    }
    const int32_t band = selectedBand < 0 ? 0 : selectedBand;
    model.setValue(ParamSolo, static_cast<float>(band));
    return {true, band};
}

ClipReadScope::ClipReadScope(ParameterSet& model) : model_(model) {
    model_.raiseClipReading();
}

ClipReadScope::~ClipReadScope() {
    model_.lowerClipReading();
    model_.setClipRequest(1);
}

float ClipReadScope::clipValue() const {
    return model_.getValue(ParamClip);
}

bool clipPublishDue(const ParameterSet& model) {
    return model.clipRequest() != 0 && model.clipReading() == 0;
}

}  // namespace marrowfold
