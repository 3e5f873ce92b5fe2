#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/AudioFile.h"
#include "host/EffectSession.h"

namespace marrowfold {

// A state chunk to write beside the rendered file.
struct StateOutput {
    std::string path;
    bool wholeBank = false;
};

// One file rendered through one fresh instance of the module.
struct RenderRequest {
    std::string inputPath;
    std::string outputPath;
    std::string modulePath;
    SampleFormat sampleFormat = SampleFormat::AsInput;
    int32_t blockSize = 512;
    // Chooses program, preset, parameters and state after the instance knows rate and block.
    std::function<void(EffectSession&)> configure;
    std::vector<StateOutput> stateOutputs;
    // Stretches of the waveform overviews to collect; 0 collects none.
    int32_t envelopeBuckets = 0;
    bool showProgress = false;
};

struct RenderResult {
    AudioLayout layout;
    double wallSeconds = 0.0;  // reading, processing and writing
    std::vector<float> inputPeaks;
    std::vector<float> outputPeaks;
    ChunkProgram program;  // the program as it was rendered
};

// Renders the input file into the output file. Throws ToolError for any problem; the output
// and state files then do not appear.
RenderResult renderFile(const RenderRequest& request);

// True when both names lead to the same file, or would once the second is written.
bool sameFile(const std::string& existing, const std::string& other);

// After this, SIGINT and SIGTERM stop a render cleanly instead of leaving temporary files.
void installInterruptHandlers();

}  // namespace marrowfold
