#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>

#include "host/AtomicFile.h"

namespace marrowfold {

// Sample encoding of a written file: as the input had it, or one chosen on the command line.
enum class SampleFormat { AsInput, Float, Pcm16, Pcm24 };

// What a file holds: its container and encoding (the library's format code), channels, rate.
struct AudioLayout {
    int32_t format = 0;
    int32_t channels = 0;
    int32_t sampleRate = 0;
    int64_t frames = 0;
};

// The format code for `path`: the container its extension names (the input's container when
// it names none the library writes) with `sample`'s encoding (the input's when AsInput).
int32_t chooseFormat(const std::string& path, int32_t inputFormat, SampleFormat sample);

// An audio file opened for reading as interleaved float samples.
class AudioReader {
  public:
    // Throws ToolError when the file is missing, unreadable or in a format the reader lacks.
    explicit AudioReader(const std::string& path);
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;
    ~AudioReader();

    const AudioLayout& layout() const { return fileLayout; }
    // Reads up to `frames` frames; answers how many it read (0 at the end).
    int64_t read(float* interleaved, int64_t frames);

  private:
    std::string path;
    SNDFILE* file = nullptr;
    AudioLayout fileLayout;
};

// An audio file written under a temporary name and put in place by `commit`.
class AudioWriter {
  public:
    // Throws ToolError when the layout cannot be written or the folder does not take the file.
    AudioWriter(const std::string& path, const AudioLayout& layout);
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;
    ~AudioWriter();

    void write(const float* interleaved, int64_t frames);
    void commit();

  private:
    void closeFile();

    std::string path;
    AtomicFile target;
    SNDFILE* file = nullptr;
};

}  // namespace marrowfold
