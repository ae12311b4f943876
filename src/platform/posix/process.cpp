#include "platform/process.h"

#include <unistd.h>

namespace platform {

std::uint32_t processId() { return static_cast<std::uint32_t>(::getpid()); }

}  // namespace platform
