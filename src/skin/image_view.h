// Bounds-checked reads of little-endian fields and names inside an image's bytes. A read that
// does not fit gives none, so no damaged offset reaches memory outside the image.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

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
    return std::uint16_t(bytes_[offset] | bytes_[offset + 1] << 8);
  }
  std::optional<std::uint32_t> u32(std::uint64_t offset) const {
    if (!holds(offset, 4)) return std::nullopt;
    const std::uint8_t* p = bytes_ + offset;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
  }
  // The zero-terminated name at `offset`, without its terminator; none when it runs off the end.
  std::optional<std::string_view> name(std::uint64_t offset) const {
    if (offset >= size_) return std::nullopt;
    const auto* start = reinterpret_cast<const char*>(bytes_ + offset);
    std::uint64_t room = size_ - offset;
    for (std::uint64_t i = 0; i < room; ++i) {
      if (start[i] == '\0') return std::string_view(start, std::size_t(i));
    }
    return std::nullopt;
  }

 private:
  const std::uint8_t* bytes_;
  std::uint64_t size_;
};

}  // namespace skin
