// Library images mapped into this very process, and calls into them. Only the Windows build maps
// images; elsewhere every mapping fails with LoadError::Unsupported.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "skin/memory_module.h"

namespace skin {

LoadResult mapIntoProcess(std::span<const std::uint8_t> image);

// Calls the export `name` of an image mapped into this process with the stdcall convention, one
// machine word an argument (at most six); its answer, or none when there is no such export.
std::optional<std::uintptr_t> callExport(const LoadedImage& image, std::string_view name,
                                         std::span<const std::uintptr_t> arguments);

}  // namespace skin
