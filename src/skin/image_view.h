// Bounds-checked reads of little-endian fields and names inside an image's bytes. A read that
// does not fit gives none, so no damaged offset reaches memory outside the image.
#pragma once
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/little_endian.h"

namespace skin {

class ImageView {
 public:
  ImageView(const std::uint8_t* bytes, std::uint64_t size) : bytes_(bytes), size_(size) {}

  std::uint64_t size() const { return size_; }
  bool holds(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  std::optional<std::uint16_t> u16(std::uint64_t offset) const {
    if (!holds(offset, 2)) return std::nullopt;
    return le::u16(reinterpret_cast<const char*>(bytes_ + offset));
  }
  std::optional<std::uint32_t> u32(std::uint64_t offset) const {
    if (!holds(offset, 4)) return std::nullopt;
    return le::u32(reinterpret_cast<const char*>(bytes_ + offset));
  }
  // The zero-terminated name at `offset`, without its terminator; none when it runs off the end.
  std::optional<std::string_view> name(std::uint64_t offset) const {
    if (offset >= size_) return std::nullopt;
    const auto* start = reinterpret_cast<const char*>(bytes_ + offset);
    const void* end = std::memchr(start, 0, std::size_t(size_ - offset));
    if (!end) return std::nullopt;
    return std::string_view(start, std::size_t(static_cast<const char*>(end) - start));
  }
  // Whether the zero-terminated name at `offset` is exactly `wanted`; reads no further than that.
  bool hasNameAt(std::uint64_t offset, std::string_view wanted) const {
    if (!holds(offset, wanted.size() + 1) || bytes_[offset + wanted.size()] != 0) return false;
    return std::memcmp(bytes_ + offset, wanted.data(), wanted.size()) == 0;
  }

 private:
  const std::uint8_t* bytes_;
  std::uint64_t size_;
};

}  // namespace skin
