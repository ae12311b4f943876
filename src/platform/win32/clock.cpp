#include "platform/clock.h"

#include <windows.h>

namespace platform {

void sleepMs(unsigned milliseconds) { Sleep(milliseconds); }

std::uint32_t tickCount() { return GetTickCount(); }

}  // namespace platform
