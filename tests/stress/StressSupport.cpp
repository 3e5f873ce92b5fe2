#include "tests/stress/StressSupport.h"

#include <cstdlib>

namespace marrowfold::testing {

namespace {
constexpr std::chrono::milliseconds kDefaultStress{3000};
}

std::chrono::milliseconds stressDuration() {
    const char* seconds = std::getenv("MARROWFOLD_STRESS_SECONDS");
    if (seconds == nullptr) return kDefaultStress;
    const long value = std::strtol(seconds, nullptr, 10);
    return value > 0 ? std::chrono::milliseconds(value * 1000) : kDefaultStress;
}

}  // namespace marrowfold::testing
