// Little-endian field access for the binary structures of .xls files. Callers check bounds.
#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>

namespace xls {

inline std::uint8_t byteAt(std::string_view data, std::size_t pos) {
  return static_cast<std::uint8_t>(data[pos]);
}

inline std::uint16_t u16At(std::string_view data, std::size_t pos) {
  return static_cast<std::uint16_t>(byteAt(data, pos) | (byteAt(data, pos + 1) << 8));
}

inline std::uint32_t u32At(std::string_view data, std::size_t pos) {
  return static_cast<std::uint32_t>(u16At(data, pos)) |
         (static_cast<std::uint32_t>(u16At(data, pos + 2)) << 16);
}

inline double f64At(std::string_view data, std::size_t pos) {
  std::uint64_t bits = u32At(data, pos) | (static_cast<std::uint64_t>(u32At(data, pos + 4)) << 32);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace xls
