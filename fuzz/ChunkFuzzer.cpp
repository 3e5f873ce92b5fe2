// Arbitrary bytes and lengths into the chunk restore, for one program and for the whole bank,
// followed by what a host does after loading a project: a block of audio, a program switch and a
// save. Checks that wrong lengths are refused without a change, that accepted chunks land where
// they belong, and that a saved chunk restores to the same chunk.
#include <cstring>
#include <string>
#include <vector>

#include "core/EffectRecord.h"
#include "fuzz/FuzzHost.h"
#include "fuzz/FuzzInput.h"
#include "params/ChunkLayout.h"

namespace marrowfold::fuzz {
namespace {

constexpr auto kProgramChunkBytes = static_cast<int32_t>(kProgramChunkSize);
constexpr auto kBankChunkBytes = static_cast<int32_t>(kBankChunkSize);
constexpr auto kProgramNameOffset = static_cast<int32_t>(kChunkProgramNameOffset);
constexpr size_t kLongestProgramName = kProgramNameSize - 1;
constexpr int32_t kStoredHostParameters = kHostParameterCount;
// A declared length up to this size gets a buffer that really holds that many bytes.
constexpr int32_t kLargestHonestBuffer = 65536;

enum class LengthMode { Exact, AsGiven, Declared, NullData };

struct ChunkDelivery {
    std::vector<uint8_t> bytes;
    intptr_t declared = 0;
    bool nullData = false;
};

ChunkDelivery makeDelivery(FuzzedDataProvider& input, LengthMode mode, int32_t expected) {
    ChunkDelivery delivery;
    delivery.bytes = input.ConsumeRemainingBytes<uint8_t>();
    switch (mode) {
        case LengthMode::Exact:
            delivery.bytes.resize(static_cast<size_t>(expected));
            delivery.declared = expected;
            break;
        case LengthMode::AsGiven:
            delivery.declared = static_cast<intptr_t>(delivery.bytes.size());
            break;
        case LengthMode::Declared: {
            FuzzedDataProvider lengths(delivery.bytes.data(), delivery.bytes.size());
            delivery.declared = edgyInt(lengths);
            // A host never lends fewer bytes than it declares.
            if (delivery.declared >= 0 && delivery.declared <= kLargestHonestBuffer &&
                delivery.bytes.size() < static_cast<size_t>(delivery.declared)) {
                delivery.bytes.resize(static_cast<size_t>(delivery.declared));
            }
            break;
        }
        case LengthMode::NullData:
            delivery.declared = expected;
            delivery.nullData = true;
            break;
    }
    return delivery;
}

std::string storedName(const uint8_t* program) {
    const char* field = reinterpret_cast<const char*>(program + kProgramNameOffset);
    return std::string(field, strnlen(field, kLongestProgramName));
}

std::string programName(FuzzHost& host) {
    char text[kHostBufferSize] = {};
    host.dispatch(ReqGetProgramName, 0, 0, text);
    return text;
}

void checkNamesLanded(FuzzHost& host, const ChunkDelivery& delivery, bool isProgram,
                      int32_t current) {
    if (isProgram) {
        require(programName(host) == storedName(delivery.bytes.data()),
                "a restored program chunk names the current program");
        return;
    }
    for (int32_t p = 0; p < kProgramCount; ++p) {
        host.dispatch(ReqSetProgram, 0, p);
        require(programName(host) == storedName(delivery.bytes.data() + p * kProgramChunkBytes),
                "a restored bank names all four programs");
    }
    host.dispatch(ReqSetProgram, 0, current);
}

void processBlock(FuzzHost& host, StereoBlock& block, int32_t frames, bool accumulate) {
    block.fillTone(frames, 0.8f);
    block.clearOutputs();
    EffectRecord& record = host.record();
    (accumulate ? record.processAddEntry : record.processReplaceEntry)(&record, block.inputs(),
                                                                       block.outputs(), frames);
}

float bigEndianFloat(const uint8_t* bytes) {
    const uint32_t bits = static_cast<uint32_t>(bytes[0]) << 24 |
                          static_cast<uint32_t>(bytes[1]) << 16 |
                          static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Host values outside 0..1 (only a corrupted chunk or a careless host writes them) turn into
// gains far outside their range; converting those back and forth may lose their last bits.
bool hostValuesInRange(const uint8_t* program) {
    for (int32_t i = 0; i < kStoredHostParameters; ++i) {
        const float value = bigEndianFloat(program + 4 * i);
        if (value < 0.0f || value > 1.0f) return false;
    }
    return true;
}

// Saving, restoring what was saved and saving again must give the same bytes.
void checkRoundTrip(FuzzHost& host, bool isProgram, int32_t current) {
    const std::vector<uint8_t> saved = host.saveChunk(isProgram);
    require(saved.size() == static_cast<size_t>(isProgram ? kProgramChunkBytes : kBankChunkBytes),
            "a saved chunk has its fixed size");
    require(host.restoreChunk(saved, isProgram) == 0, "a saved chunk is accepted back");
    const uint8_t* program = saved.data() + (isProgram ? 0 : current * kProgramChunkBytes);
    if (hostValuesInRange(program)) {
        require(host.saveChunk(isProgram) == saved, "a saved chunk restores to the same chunk");
    }
}

}  // namespace
}  // namespace marrowfold::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marrowfold;
    using namespace marrowfold::fuzz;
    FuzzedDataProvider input(data, size);
    const uint8_t setup = input.ConsumeIntegral<uint8_t>();
    const bool isProgram = (setup & 1) != 0;
    const auto mode = static_cast<LengthMode>((setup >> 1) & 3);
    const int32_t current = (setup >> 3) & 3;
    const int32_t next = (setup >> 5) & 3;
    const bool accumulate = (setup & 0x80) != 0;
    const int32_t frames = input.ConsumeIntegralInRange<int32_t>(1, 512);
    HostAnswers answers;
    answers.withEditor = input.ConsumeIntegralInRange<int>(0, 3) == 0;

    FuzzHost host(answers);
    host.dispatch(ReqSetProgram, 0, current);
    const std::vector<uint8_t> bankBefore = host.saveChunk(false);

    const int32_t expected = isProgram ? kProgramChunkBytes : kBankChunkBytes;
    ChunkDelivery delivery = makeDelivery(input, mode, expected);
    const intptr_t result = host.dispatch(ReqSetChunk, isProgram ? 1 : 0, delivery.declared,
                                          delivery.nullData ? nullptr : delivery.bytes.data());
    const bool acceptable = !delivery.nullData && delivery.declared == expected;
    require(result == (acceptable ? 0 : -1), "exactly the chunks of the right length are accepted");
    if (acceptable) {
        checkNamesLanded(host, delivery, isProgram, current);
    } else {
        require(host.saveChunk(false) == bankBefore, "a refused chunk changes nothing");
    }

    StereoBlock block;
    processBlock(host, block, frames, accumulate);
    host.dispatch(ReqSetProgram, 0, next);
    processBlock(host, block, frames, accumulate);
    checkRoundTrip(host, true, next);
    checkRoundTrip(host, false, next);
    return 0;
}
