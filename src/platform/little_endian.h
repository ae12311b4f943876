// Little-endian integers and doubles at a byte position, for the file formats the program reads
// and writes (banks, journals, workbooks). Callers check the bounds.
#pragma once
#include <cstdint>
#include <cstring>

namespace le {

inline std::uint16_t u16(const char* at) {
  const auto* b = reinterpret_cast<const unsigned char*>(at);
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

inline std::uint32_t u32(const char* at) {
  return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16;
}

inline std::uint64_t u64(const char* at) {
  return std::uint64_t(u32(at)) | std::uint64_t(u32(at + 4)) << 32;
}

inline std::int32_t i32(const char* at) { return static_cast<std::int32_t>(u32(at)); }

inline double f64(const char* at) {
  const std::uint64_t bits = u64(at);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void putU32(char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<char>(value >> (8 * i));
}

inline void putU64(char* at, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<char>(value >> (8 * i));
}

inline void putI32(char* at, std::int32_t value) { putU32(at, static_cast<std::uint32_t>(value)); }

inline void putF64(char* at, double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  putU64(at, bits);
}

}  // namespace le
