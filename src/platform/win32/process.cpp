#include "platform/process.h"

#include <windows.h>

namespace platform {

std::uint32_t processId() { return GetCurrentProcessId(); }

}  // namespace platform
