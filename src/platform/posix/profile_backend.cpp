#include "platform/profile_backend.h"

#include "platform/profile_text.h"

namespace platform::detail {

std::string lookupProfileValue(std::string_view fileBytes, std::string_view section,
                               std::string_view key, std::size_t bufferSize) {
  return profile::findValue(fileBytes, section, key).value_or("");
}

std::optional<std::string> applyProfileValues(std::string_view fileBytes, std::string_view section,
                                              const std::vector<ProfileEntry>& entries) {
  return profile::setValues(fileBytes, section, entries);
}

}  // namespace platform::detail
