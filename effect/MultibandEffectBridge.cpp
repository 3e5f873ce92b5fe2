// The bridge between the host's parameter and program requests and the parameter model: host
// parameters 0..7 travel as values 0..1, the editor's own parameters 8..15 as real values, and
// the four programs live in the program store.
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "effect/EditorNotifications.h"
#include "effect/MultibandEffect.h"
#include "params/DistortionParameters.h"
#include "params/FactoryBank.h"
#include "params/FactoryBankData.h"
#include "params/ProgramStore.h"

namespace marrowfold {

namespace {

// Copies a descriptor text, which fills at most its whole field, with a terminating zero.
void copyDescriptorText(const char (&field)[kParameterTextSize], char* dst) {
    const size_t length = strnlen(field, sizeof field - 1);
    std::memcpy(dst, field, length);
    dst[length] = '\0';
}

}  // namespace

// Called from whatever thread the host writes parameters on.
void MultibandEffect::writeParameter(int32_t index, float value) {
    if (!model) return;
    BusyScope busy(*model);
    if (index < kHostParameterCount) {
        model->setNormalized(index, value);
    } else {
        model->setValue(index, value);
    }
    if (editorEvents) editorEvents->parameterChanged(index, value);
}

float MultibandEffect::readParameter(int32_t index) {
    if (!model || index >= kHostParameterCount) return 0.0f;
    return model->getNormalized(index);
}

void MultibandEffect::copyParameterTitle(int32_t index, char* dst) {
    if (dst == nullptr) return;
    const ParameterDesc* desc = model ? model->descriptor(index) : nullptr;
    if (desc) {
        copyDescriptorText(desc->name, dst);
    } else {
        dst[0] = '\0';
    }
}

void MultibandEffect::copyParameterUnit(int32_t index, char* dst) {
    if (dst == nullptr) return;
    const ParameterDesc* desc = model ? model->descriptor(index) : nullptr;
    if (desc) {
        copyDescriptorText(desc->unit, dst);
    } else {
        dst[0] = '\0';
    }
}

void MultibandEffect::copyParameterText(int32_t index, char* dst) {
    if (dst == nullptr) return;
    const double value = model ? model->getValue(index) : 0.0;
    std::sprintf(dst, "%.1f", value);
}

void MultibandEffect::selectProgram(int32_t program) {
    if (!programStore || program < 0 || program >= kProgramCount) return;
    storeProgram(currentProgram);
    loadProgram(program);
    currentProgram = program;
}

void MultibandEffect::renameProgram(char* name) {
    if (programStore && name) programStore->setProgramName(currentProgram, name);
}

void MultibandEffect::copyProgramName(char* dst) {
    if (dst == nullptr) return;
    if (programStore) {
        programStore->copyProgramName(currentProgram, dst);
    } else {
        dst[0] = '\0';
    }
}

void MultibandEffect::storeProgram(int32_t program) {
    if (programStore && model) programStore->storeProgram(program, *model);
}

int32_t MultibandEffect::loadProgram(int32_t program) {
    if (!programStore || !model) return 0;
    programStore->loadProgram(program, *model, editorRelay.observer());
    return 0;
}

int32_t MultibandEffect::saveState(void** data, bool isProgram) {
    if (!programStore || !model || data == nullptr) return 0;
    const ChunkView chunk = programStore->saveState(isProgram, currentProgram, *model);
    *data = const_cast<unsigned char*>(chunk.data);
    return chunk.length;
}

int32_t MultibandEffect::restoreState(void* data, int32_t bytes, bool isProgram) {
    if (!programStore || !model) return -1;
    return programStore->restoreState(data, bytes, isProgram, currentProgram, *model,
                                      editorRelay.observer());
}

bool MultibandEffect::buildProgramStore() {
    try {
        programStore = std::make_unique<ProgramStore>(*model);
    } catch (const std::bad_alloc&) {
        return false;
    }
    programSize = programStore->programSize();
    return true;
}

// Every start loads the factory bank through the ordinary chunk path. A bank that does not fit
// the parameter table is skipped and the programs keep their "Init" contents.
void MultibandEffect::loadFactoryPrograms() {
    std::vector<unsigned char> bank =
        decodeBankText(factoryBankText(), factoryBankLength(), programSize);
    if (!bank.empty()) restoreState(bank.data(), static_cast<int32_t>(bank.size()), false);
}

}  // namespace marrowfold
