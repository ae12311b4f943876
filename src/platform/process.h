// The running process as other processes know it.
#pragma once
#include <cstdint>

namespace platform {

std::uint32_t processId();

}  // namespace platform
