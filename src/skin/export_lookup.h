// Finding an exported function in an image as it lies mapped in memory (offsets are addresses
// relative to its base): by its exact name, never following a forwarder to another library.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "skin/image_view.h"

namespace skin {

// The function's address relative to the image base; none when the image has no export of that
// exact name (letter case counts), or the export is forwarded elsewhere.
std::optional<std::uint32_t> exportedFunction(const ImageView& mapped, std::string_view name);

}  // namespace skin
