#include "params/FactoryBank.h"

#include <cstring>

#include "params/ProgramStore.h"

namespace marrowfold {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int32_t kDigitsPerByte = 2;

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    return -1;
}

}  // namespace

std::string encodeBankText(const unsigned char* bytes, int32_t length) {
    std::string text;
    text.reserve(static_cast<size_t>(length) * kDigitsPerByte);
    for (int32_t i = 0; i < length; ++i) {
        text += kHexDigits[bytes[i] >> 4];
        text += kHexDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::vector<unsigned char> decodeBankText(const char* text, int32_t lengthWord,
                                          int32_t programSize) {
    const int64_t expected = int64_t{kProgramCount} * kDigitsPerByte * programSize + 1;
    if (text == nullptr || programSize <= 0 || lengthWord != expected) return {};
    const size_t digits = static_cast<size_t>(expected - 1);
    if (strnlen(text, digits + 1) != digits) return {};
    std::vector<unsigned char> bytes(digits / kDigitsPerByte);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int high = hexValue(text[kDigitsPerByte * i]);
        const int low = hexValue(text[kDigitsPerByte * i + 1]);
        if (high < 0 || low < 0) return {};
        bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return bytes;
}

}  // namespace marrowfold
