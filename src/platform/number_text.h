// A number as program text: as the C format "%.13g" writes it.
#pragma once
#include <string>

namespace platform {

std::string numberText(double value);

}  // namespace platform
