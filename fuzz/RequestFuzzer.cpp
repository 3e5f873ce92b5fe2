// A byte stream decoded into the calls a host makes through the record: requests over the whole
// opcode range with indices and values at the edges and the host's usual buffers (the editor
// opening in the host's window), parameter writes and reads with any float, and process calls
// with any frame count up to a bound.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "core/EffectRecord.h"
#include "core/HostEditor.h"
#include "core/VendorRequests.h"
#include "fuzz/FuzzHost.h"
#include "fuzz/FuzzInput.h"
#include "params/ChunkLayout.h"

namespace marrowfold::fuzz {
namespace {

constexpr auto kProgramChunkBytes = static_cast<int32_t>(kProgramChunkSize);
constexpr auto kBankChunkBytes = static_cast<int32_t>(kBankChunkSize);
constexpr int32_t kHostParameters = kHostParameterCount;
constexpr int32_t kLastKnownOpcode = 70;
constexpr int32_t kMaxCalls = 256;
// Texts the plug-in writes (names, units, value texts, the vendor) fit in this many bytes.
constexpr size_t kShortText = 64;
constexpr int32_t kLargestHonestBuffer = 65536;
// The engine's buffers grow with the announced block size. An allocation the machine cannot
// back throws std::bad_alloc, which the effect survives without an engine, but under the address
// sanitizer it aborts instead; announced sizes therefore stop at a million frames.
constexpr intptr_t kLargestAnnouncedBlock = 1 << 20;

enum class Call { Request, WriteParameter, ReadParameter, Replace, Accumulate, Chunk, Reopen };

struct Session {
    std::unique_ptr<FuzzHost> host;
    StereoBlock block;
    alignas(16) char buffer[kHostBufferSize] = {};
};

bool writesShortText(int32_t opcode) {
    switch (opcode) {
        case ReqGetProgramName:
        case ReqParamUnit:
        case ReqParamText:
        case ReqParamTitle:
        case ReqVendorName:
            return true;
        default:
            return false;
    }
}

// The buffer a host lends for a request: zero-terminated text from the input, or null.
void* lendBuffer(FuzzedDataProvider& input, Session& session) {
    if (input.ConsumeIntegralInRange<int>(0, 4) == 0) return nullptr;
    std::memset(session.buffer, 0, sizeof session.buffer);
    const std::vector<uint8_t> text =
        input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, kHostBufferSize - 1));
    if (!text.empty()) std::memcpy(session.buffer, text.data(), text.size());
    return session.buffer;
}

// Reading every byte of a chunk the plug-in hands out lets the address sanitizer check it.
void readChunk(intptr_t bytes, void* const* where) {
    if (where == nullptr || bytes == 0) return;
    require(bytes == kProgramChunkBytes || bytes == kBankChunkBytes,
            "a chunk is one program or the whole bank");
    const auto* data = static_cast<const volatile uint8_t*>(*where);
    require(data != nullptr, "a chunk with a size has data");
    uint8_t sum = 0;
    for (intptr_t i = 0; i < bytes; ++i)
        sum = static_cast<uint8_t>(sum + data[i]);
    (void)sum;
}

void sendRequest(FuzzedDataProvider& input, Session& session) {
    const int32_t opcode = input.ConsumeBool()
                               ? input.ConsumeIntegralInRange<int32_t>(0, kLastKnownOpcode)
                               : edgyInt(input);
    int32_t index = edgyInt(input);
    intptr_t value = edgyValue(input);
    const float opt = edgyFloat(input);
    if (opcode == ReqVendorSpecific && input.ConsumeBool()) {
        const bool wheel = input.ConsumeBool();
        index = wheel ? kWheelRequestIndex : kScaleRequestIndex;
        value = wheel ? kWheelRequestValue : kScaleRequestValue;
    }
    // The close request ends the session (see Reopen) and chunk deliveries carry buffers of
    // their declared size (see Chunk). The editor opens in the host's window.
    if (opcode == ReqClose || opcode == ReqSetChunk) return;
    void* ptr = opcode == ReqEditorOpen ? FuzzHost::hostWindow() : lendBuffer(input, session);
    if (opcode == ReqSetBlockSize || opcode == ReqBlockAndRate) {
        // The size as the plug-in reads it, a 32-bit count.
        value = std::min<intptr_t>(static_cast<int32_t>(value), kLargestAnnouncedBlock);
    }
    // The speaker request carries a second pointer in value.
    if (opcode == ReqSpeakers) value = reinterpret_cast<intptr_t>(ptr);
    const intptr_t answer = session.host->dispatch(opcode, index, value, ptr, opt);
    if (opcode == ReqGetChunk) readChunk(answer, static_cast<void* const*>(ptr));
    if (writesShortText(opcode) && ptr != nullptr) {
        require(std::memchr(ptr, 0, kShortText) != nullptr, "texts fit in 64 bytes");
    }
}

void writeParameter(FuzzedDataProvider& input, Session& session) {
    const int32_t index =
        input.ConsumeBool() ? input.ConsumeIntegralInRange<int32_t>(0, 17) : edgyInt(input);
    session.host->setParameter(index, edgyFloat(input));
}

void readParameter(FuzzedDataProvider& input, Session& session) {
    const int32_t index = edgyInt(input);
    const float value = session.host->getParameter(index);
    if (index < 0 || index >= kHostParameters) {
        require(value == 0.0f, "parameters the host does not know read as 0");
    }
}

void process(FuzzedDataProvider& input, Session& session, bool accumulate) {
    const int32_t frames = input.ConsumeBool()
                               ? input.ConsumeIntegralInRange<int32_t>(-2, 1100)
                               : input.ConsumeIntegralInRange<int32_t>(0, kMaxFrames);
    const int32_t framesToFill = frames > 0 ? frames : 0;
    if (input.ConsumeBool()) {
        session.block.fillInputs(input, framesToFill);
    } else {
        session.block.fillTone(framesToFill, input.ConsumeFloatingPointInRange<float>(0.0f, 4.0f));
    }
    EffectRecord& record = session.host->record();
    (accumulate ? record.processAddEntry : record.processReplaceEntry)(
        &record, session.block.inputs(), session.block.outputs(), frames);
}

// A chunk delivery with a length the host declares honestly: the buffer holds that many bytes.
void deliverChunk(FuzzedDataProvider& input, Session& session) {
    const bool isProgram = input.ConsumeBool();
    intptr_t declared =
        input.ConsumeBool() ? (isProgram ? kProgramChunkBytes : kBankChunkBytes) : edgyInt(input);
    std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(
        input.ConsumeIntegralInRange<size_t>(0, static_cast<size_t>(kBankChunkBytes)));
    if (declared >= 0 && declared <= kLargestHonestBuffer)
        bytes.resize(static_cast<size_t>(declared));
    const intptr_t result =
        session.host->dispatch(ReqSetChunk, isProgram ? 1 : 0, declared, bytes.data());
    require(result == 0 || result == -1, "a chunk delivery answers 0 or -1");
}

HostAnswers chooseAnswers(FuzzedDataProvider& input) {
    HostAnswers answers;
    answers.inputWired[1] = input.ConsumeBool();
    answers.outputWired[1] = input.ConsumeBool();
    if (input.ConsumeBool()) answers.productName.clear();
    answers.withEditor = input.ConsumeIntegralInRange<int>(0, 7) == 0;
    return answers;
}

void reopen(FuzzedDataProvider& input, Session& session) {
    session.host->close();
    session.host = std::make_unique<FuzzHost>(chooseAnswers(input));
}

}  // namespace
}  // namespace marrowfold::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marrowfold::fuzz;
    FuzzedDataProvider input(data, size);
    Session session;
    session.host = std::make_unique<FuzzHost>(chooseAnswers(input));
    for (int32_t call = 0; call < kMaxCalls && input.remaining_bytes() > 0; ++call) {
        switch (
            input.PickValueInArray({Call::Request, Call::Request, Call::Request,
                                    Call::WriteParameter, Call::WriteParameter, Call::ReadParameter,
                                    Call::Replace, Call::Accumulate, Call::Chunk, Call::Reopen})) {
            case Call::Request:
                sendRequest(input, session);
                break;
            case Call::WriteParameter:
                writeParameter(input, session);
                break;
            case Call::ReadParameter:
                readParameter(input, session);
                break;
            case Call::Replace:
                process(input, session, false);
                break;
            case Call::Accumulate:
                process(input, session, true);
                break;
            case Call::Chunk:
                deliverChunk(input, session);
                break;
            case Call::Reopen:
                reopen(input, session);
                break;
        }
    }
    return 0;
}
