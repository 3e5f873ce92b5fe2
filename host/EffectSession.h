#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/ChunkFormat.h"
#include "host/HostParameters.h"
#include "host/PluginHost.h"
#include "host/PluginModule.h"

namespace marrowfold {

// One instance of the module, driven only through its record as any host drives it, with the
// operations a render needs: programs and presets chosen by number or name, parameters set in
// real units, state saved and restored as chunks, and audio processed in blocks.
class EffectSession {
  public:
    // Loads the module and starts an instance with one or two wired inputs. Throws ToolError
    // when the module cannot be loaded, refuses to start or has parameters this tool does not
    // know.
    EffectSession(const std::string& modulePath, int32_t channels);

    // Sample rate and largest block, each of which rebuilds the module's engine.
    void prepare(float sampleRate, int32_t blockSize);
    void activate();

    std::vector<ChunkProgram> programs();
    ChunkProgram currentProgram();
    int32_t currentProgramIndex();
    // The parameter's unit as the module names it.
    std::string parameterUnit(int32_t index);

    // `choice` is a number from 0 or a name, any case. Throws ToolError for one that is not
    // there.
    void selectProgram(const std::string& choice);
    // Selects a preset of the current program as the editor's preset selector does: the
    // preset selector, then the parameters kept in presets written with the new preset's stored
    // values so that the effect plays it as stored.
    void selectPreset(const std::string& choice);
    void selectPreset(int32_t index);
    void setParameter(const HostParameterWrite& write);

    // Asks the module to shape at factor times the rate. Throws ToolError when it refuses.
    void setOversampling(int32_t factor);
    // Asks the module to anti-alias its shaping. Throws ToolError when it refuses.
    void setAntialiasing();
    // Asks the module for a dry/wet mix of percent (0..100). Throws ToolError when it refuses.
    void setMix(float percent);
    // Switches the module's auto gain. Throws ToolError when it refuses.
    void setAutoGain(bool on);
    // The gain the module's auto gain applied in the last block, in dB.
    float autoGainDecibels();
    // The module's delay in frames, as its record reports it.
    int32_t latency();

    // A program or bank chunk, told apart by its length. Throws ToolError when the module
    // refuses it.
    void restoreState(const std::vector<uint8_t>& chunk, const std::string& source);
    std::vector<uint8_t> saveState(bool wholeBank);

    int32_t channels() const { return channelCount; }
    // Processes interleaved frames in blocks of at most the prepared size. Call `prepare` first.
    void process(const float* input, float* output, int32_t frames);
    // The same, with the module's delay taken out: the first latency() output frames after
    // activation are dropped, so fewer frames than given may come back; returns their count.
    int32_t processAligned(const float* input, float* output, int32_t frames);
    // Feeds the module latency() frames of silence and returns the output frames still owed,
    // so that the aligned output ends up as long as the input.
    std::vector<float> finishAligned();

  private:
    void checkParameterNames();
    void processBlock(const float* input, float* output, int32_t frames);

    PluginModule module;
    PluginHost host;
    int32_t channelCount;
    int32_t blockFrames = 0;
    int32_t framesToDrop = 0;
    std::vector<float> inputPlanes;
    std::vector<float> outputPlanes;
};

// Picks one of `names` by number (from 0) or by name ignoring case; -1 when none fits.
int32_t pickByNumberOrName(const std::string& choice, const std::vector<std::string>& names);

}  // namespace marrowfold
