#include "host/AudioFile.h"

#include <strings.h>
#include <sys/stat.h>

#include "host/ToolError.h"

namespace marrowfold {

namespace {

std::string describeFormat(int32_t format) {
    SF_FORMAT_INFO info{};
    info.format = format & SF_FORMAT_TYPEMASK;
    const std::string container =
        sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 ? info.name : "this";
    return container + " file";
}

// The container whose usual extension `path` ends in, ignoring case, else `fallback`.
int32_t containerNamedBy(const std::string& path, int32_t fallback) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return fallback;
    const std::string extension = path.substr(dot + 1);
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info);
        if (info.extension != nullptr && strcasecmp(info.extension, extension.c_str()) == 0)
            return info.format & SF_FORMAT_TYPEMASK;
    }
    return fallback;
}

}  // namespace

int32_t chooseFormat(const std::string& path, int32_t inputFormat, SampleFormat sample) {
    const int32_t type = containerNamedBy(path, inputFormat & SF_FORMAT_TYPEMASK);
    switch (sample) {
        case SampleFormat::Float:
            return type | SF_FORMAT_FLOAT;
        case SampleFormat::Pcm16:
            return type | SF_FORMAT_PCM_16;
        case SampleFormat::Pcm24:
            return type | SF_FORMAT_PCM_24;
        case SampleFormat::AsInput:
            break;
    }
    return type | (inputFormat & SF_FORMAT_SUBMASK);
}

AudioReader::AudioReader(const std::string& filePath) : path(filePath) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) throw ToolError("input '" + path + "' does not exist");
    if (!S_ISREG(status.st_mode)) throw ToolError("input '" + path + "' is not a file");
    SF_INFO info{};
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) throw ToolError("cannot read '" + path + "': " + sf_strerror(nullptr));
    fileLayout = {info.format, info.channels, info.samplerate, info.frames};
}

AudioReader::~AudioReader() {
    if (file != nullptr) sf_close(file);
}

int64_t AudioReader::read(float* interleaved, int64_t frames) {
    const sf_count_t count = sf_readf_float(file, interleaved, frames);
    if (count < 0 || sf_error(file) != SF_ERR_NO_ERROR)
        throw ToolError("cannot read '" + path + "': " + sf_strerror(file));
    return count;
}

AudioWriter::AudioWriter(const std::string& filePath, const AudioLayout& layout)
    : path(filePath), target(filePath) {
    SF_INFO info{};
    info.format = layout.format;
    info.channels = layout.channels;
    info.samplerate = layout.sampleRate;
    if (!sf_format_check(&info))
        throw ToolError("cannot write " + std::to_string(layout.channels) + "-channel audio at " +
                        std::to_string(layout.sampleRate) + " Hz with that sample encoding in a " +
                        describeFormat(layout.format) + " (--format chooses another)");
    file = sf_open_fd(target.takeDescriptor(), SFM_WRITE, &info, SF_TRUE);
    if (file == nullptr) throw ToolError("cannot write '" + path + "': " + sf_strerror(nullptr));
    // A peak chunk would carry the time of writing; identical renders must give identical files.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioWriter::~AudioWriter() {
    closeFile();
}

void AudioWriter::closeFile() {
    if (file != nullptr) sf_close(file);
    file = nullptr;
}

void AudioWriter::write(const float* interleaved, int64_t frames) {
    if (sf_writef_float(file, interleaved, frames) != frames)
        throw ToolError("cannot write '" + path + "': " + sf_strerror(file));
}

void AudioWriter::commit() {
    const int status = sf_close(file);
    file = nullptr;
    if (status != 0) throw ToolError("cannot write '" + path + "': " + sf_error_number(status));
    target.commit();
}

}  // namespace marrowfold
