#include "skin/export_lookup.h"

#include "skin/pe_headers.h"

namespace skin {

std::optional<std::uint32_t> exportedFunction(const ImageView& mapped, std::string_view name) {
  HeaderReading reading = readHeaders(mapped);
  if (!reading.headers) return std::nullopt;
  DataDirectory directory = reading.headers->exports;
  if (directory.size == 0 || !mapped.holds(directory.rva, 40)) return std::nullopt;
  std::uint32_t functionCount = *mapped.u32(directory.rva + 20);
  std::uint32_t nameCount = *mapped.u32(directory.rva + 24);
  std::uint32_t functions = *mapped.u32(directory.rva + 28);
  std::uint32_t names = *mapped.u32(directory.rva + 32);
  std::uint32_t ordinals = *mapped.u32(directory.rva + 36);
  if (functionCount == 0 || nameCount == 0) return std::nullopt;

  for (std::uint64_t i = 0; i < nameCount; ++i) {
    auto nameRva = mapped.u32(names + 4 * i);
    if (!nameRva) return std::nullopt;  // the name table runs off the image
    if (!mapped.hasNameAt(*nameRva, name)) continue;
    auto index = mapped.u16(ordinals + 2 * i);
    if (!index || *index >= functionCount) return std::nullopt;
    auto function = mapped.u32(functions + 4 * std::uint64_t(*index));
    if (!function || *function == 0 || *function >= mapped.size()) return std::nullopt;
    // An address inside the export directory is the text of a forwarder ("LIBRARY.Name").
    if (*function >= directory.rva && *function - directory.rva < directory.size) {
      return std::nullopt;
    }
    return *function;
  }
  return std::nullopt;
}

}  // namespace skin
