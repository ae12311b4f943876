// Sleeping and the millisecond tick count.
#pragma once
#include <cstdint>

namespace platform {

void sleepMs(unsigned milliseconds);

// Milliseconds since an arbitrary start; wraps like GetTickCount.
std::uint32_t tickCount();

}  // namespace platform
