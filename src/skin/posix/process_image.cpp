// Outside Windows there is no process to map a Windows library into.
#include "skin/process_image.h"

namespace skin {

LoadResult mapIntoProcess(std::span<const std::uint8_t>) {
  return {nullptr, LoadError::Unsupported};
}

std::optional<std::uintptr_t> callExport(const LoadedImage&, std::string_view,
                                         std::span<const std::uintptr_t>) {
  return std::nullopt;
}

}  // namespace skin
