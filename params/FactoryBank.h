#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marrowfold {

// The factory bank is kept in the module as a bank chunk written as text: two upper-case
// hexadecimal digits per byte, most significant digit first, plus a length word counting the
// characters and the terminating zero.

// The text of a chunk.
std::string encodeBankText(const unsigned char* bytes, int32_t length);

// The bytes of a bank chunk for programs of programSize bytes, ready for restoreState. Empty
// when the length word is not 8 x programSize + 1 (the stored bank does not fit the parameter
// table) or when the text is not that many hexadecimal digits.
std::vector<unsigned char> decodeBankText(const char* text, int32_t lengthWord,
                                          int32_t programSize);

}  // namespace marrowfold
