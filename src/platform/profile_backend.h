// What each build does with the bytes of a settings file; profile_file.cpp reads and replaces
// the file itself and checks names, values and sizes first.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_file.h"

namespace platform::detail {

// The value, at most bufferSize - 1 bytes long before the caller cuts it to whole characters.
std::string lookupProfileValue(std::string_view fileBytes, std::string_view section,
                               std::string_view key, std::size_t bufferSize);

// The new bytes of the file; nullopt when the change could not be made.
std::optional<std::string> applyProfileValues(std::string_view fileBytes, std::string_view section,
                                              const std::vector<ProfileEntry>& entries);

}  // namespace platform::detail
