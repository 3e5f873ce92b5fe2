#pragma once

#include <cstdint>

namespace marrowfold {

// The factory bank compiled into the module (library marrowfold_factory): a bank chunk as
// hexadecimal text, and the text's length including its terminating zero.
const char* factoryBankText();
int32_t factoryBankLength();

}  // namespace marrowfold
