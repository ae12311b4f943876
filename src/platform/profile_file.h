// The settings file: a Windows profile (INI) file whose names and values are program text
// (GBK) whatever the system code page. The Windows build reads and changes it through the
// system's profile API, the native build through our own rules that follow that API, so a file
// written by either build reads the same in the other. Every change replaces the file durably.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The buffer the program reads settings with: a longer value is cut to one byte less.
inline constexpr std::size_t kProfileValueBuffer = 10240;

// A file bigger than this is not a settings file: it reads as empty and is never rewritten.
inline constexpr std::uintmax_t kMaxProfileFileBytes = 16u << 20;

struct ProfileEntry {
  std::string key;
  std::string value;
};

// The value of `key` in the first section named `section` (names compared without case), as
// the profile API returns it: trimmed, one pair of enclosing quotes removed, cut to
// bufferSize - 1 bytes without splitting a character. Empty when the file, the section or the
// key is missing, or the file cannot be read.
std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::size_t bufferSize = kProfileValueBuffer);

// Sets every key of `entries` in `section`, creating the file, the section and the keys as
// needed and keeping all other sections, keys and lines in their order, in one durable
// replacement. False, with the file untouched, when a name or value cannot be stored in a
// profile file (an empty name, a line break or NUL, "=" in a key, a key starting with "[", a
// name with surrounding blanks), when an existing file cannot be read (a folder, a FIFO, too
// big), or when the replacement fails.
bool writeProfileStrings(const std::filesystem::path& file, std::string_view section,
                         const std::vector<ProfileEntry>& entries);

}  // namespace platform
