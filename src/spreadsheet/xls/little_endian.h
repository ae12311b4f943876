// Field access at a position of the binary structures of .xls files. Callers check bounds.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/little_endian.h"

namespace xls {

inline std::uint8_t byteAt(std::string_view data, std::size_t pos) {
  return static_cast<std::uint8_t>(data[pos]);
}

inline std::uint16_t u16At(std::string_view data, std::size_t pos) {
  return le::u16(data.data() + pos);
}

inline std::uint32_t u32At(std::string_view data, std::size_t pos) {
  return le::u32(data.data() + pos);
}

inline double f64At(std::string_view data, std::size_t pos) { return le::f64(data.data() + pos); }

}  // namespace xls
