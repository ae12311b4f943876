// Natively the library carries its version answers as a marked text block (see
// spreadsheet/version_block.h); this reads them with the same steps as on Windows.
#include <cstdlib>
#include <map>

#include "import/library_file.h"
#include "platform/cp936.h"
#include "platform/files.h"
#include "spreadsheet/version_block.h"

namespace {

// The query=value pairs after the marker; false when the file has no version block.
bool readVersionBlock(const std::filesystem::path& path, std::map<std::string, std::string>& out) {
  auto bytes = platform::readFile(path);
  if (!bytes) return false;
  const std::string marker(xlversion::kMarker, sizeof xlversion::kMarker);  // with its NUL
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

std::string GetFileVersionText(const std::filesystem::path& path, std::string& error) {
  std::map<std::string, std::string> block;
  if (!readVersionBlock(path, block)) {
    error = cp936::fromUtf8(xlversion::kSizeFailed);
    return {};
  }
  auto translation = block.find("\\VarFileInfo\\Translation");
  if (translation == block.end() || translation->second.size() != 8) {
    error = cp936::fromUtf8(xlversion::kQueryFailed);
    return {};
  }
  unsigned long value = std::strtoul(translation->second.c_str(), nullptr, 16);
  auto version = block.find(xlversion::fileVersionQuery(value >> 16, value & 0xFFFF));
  return version == block.end() ? std::string() : version->second;
}
