// Reads the marked version block (see file_version.h) with the same steps as on Windows.
#include "platform/file_version.h"

#include <cstdlib>
#include <map>

#include "platform/files.h"

namespace platform {
namespace {

// A library's version block lies within its first few megabytes; nothing bigger is read.
constexpr std::uint64_t kLargestLibrary = 64u << 20;

// The query=value pairs after the marker; false when the file has no version block.
bool readVersionBlock(const std::filesystem::path& path, std::map<std::string, std::string>& out) {
  auto bytes = readFile(path, kLargestLibrary);
  if (!bytes) return false;
  const std::string marker(kVersionBlockMarker, sizeof kVersionBlockMarker);  // with its NUL
  auto at = bytes->find(marker);
  if (at == std::string::npos) return false;
  at += marker.size();
  while (at < bytes->size() && (*bytes)[at] != '\0') {
    auto end = bytes->find('\0', at);
    if (end == std::string::npos) break;
    std::string entry = bytes->substr(at, end - at);
    auto equals = entry.find('=');
    if (equals != std::string::npos) out[entry.substr(0, equals)] = entry.substr(equals + 1);
    at = end + 1;
  }
  return true;
}

}  // namespace

FileVersion readFileVersion(const std::filesystem::path& path) {
  std::map<std::string, std::string> block;
  if (!readVersionBlock(path, block)) return {{}, FileVersionError::sizeFailed};
  auto translation = block.find("\\VarFileInfo\\Translation");
  if (translation == block.end() || translation->second.size() != 8)
    return {{}, FileVersionError::queryFailed};
  unsigned long value = std::strtoul(translation->second.c_str(), nullptr, 16);
  auto version = block.find(fileVersionQuery(value >> 16, value & 0xFFFF));
  if (version == block.end()) return {{}, FileVersionError::noValue};
  return {version->second, FileVersionError::none};
}

}  // namespace platform
