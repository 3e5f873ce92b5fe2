#include "tests/stress/StressSupport.h"

#include <malloc.h>

#include <cstdlib>
#include <thread>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MARROWFOLD_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MARROWFOLD_SANITIZED_HEAP 1
#endif
#endif

#ifdef MARROWFOLD_SANITIZED_HEAP
// Provided by the address and thread sanitizer runtimes.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

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

size_t liveHeapBytes() {
#ifdef MARROWFOLD_SANITIZED_HEAP
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

size_t liveHeapBytesAfter(const std::function<void()>& work) {
    std::thread worker(work);
    worker.join();
    return liveHeapBytes();
}

}  // namespace marrowfold::testing
