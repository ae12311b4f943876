#include "platform/profile_file.h"

#include <system_error>

#include "platform/files.h"
#include "platform/gbk_text.h"
#include "platform/profile_backend.h"
#include "platform/profile_text.h"

namespace platform {
namespace {

bool storable(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// A name the profile API would read back as the same name.
bool storableName(std::string_view name) {
  return !name.empty() && storable(name) && !profile::isBlank(name.front()) &&
         !profile::isBlank(name.back());
}

bool storableKey(std::string_view key) {
  return storableName(key) && key.front() != '[' && key.find('=') == std::string_view::npos;
}

enum class FileState { kMissing, kRead, kUnusable };

// Only a regular file of a sensible size is read: a FIFO would block, a huge file would take
// the process's memory.
FileState readSettings(const std::filesystem::path& file, std::string& bytes) {
  std::error_code ec;
  auto status = std::filesystem::status(file, ec);
  if (status.type() == std::filesystem::file_type::not_found) return FileState::kMissing;
  if (ec || status.type() != std::filesystem::file_type::regular) return FileState::kUnusable;
  auto size = std::filesystem::file_size(file, ec);
  if (ec || size > kMaxProfileFileBytes) return FileState::kUnusable;
  auto read = readFile(file);
  if (!read || read->size() > kMaxProfileFileBytes) return FileState::kUnusable;
  bytes = std::move(*read);
  return FileState::kRead;
}

}  // namespace

std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::size_t bufferSize) {
  std::string bytes;
  if (bufferSize == 0 || !storableName(section) || !storableKey(key) ||
      readSettings(file, bytes) != FileState::kRead)
    return {};
  std::string value = detail::lookupProfileValue(bytes, section, key, bufferSize);
  value.resize(gbk::fitLength(value, bufferSize - 1));
  return value;
}

bool writeProfileStrings(const std::filesystem::path& file, std::string_view section,
                         const std::vector<ProfileEntry>& entries) {
  if (!storableName(section)) return false;
  for (const ProfileEntry& entry : entries)
    if (!storableKey(entry.key) || !storable(entry.value)) return false;
  std::string bytes;
  // A file that exists but cannot be read is left alone rather than replaced by our keys only.
  if (readSettings(file, bytes) == FileState::kUnusable) return false;
  auto updated = detail::applyProfileValues(bytes, section, entries);
  return updated && writeFileAtomic(file, *updated);
}

}  // namespace platform
