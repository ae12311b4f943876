#include "platform/files.h"

#include <fstream>
#include <system_error>

namespace platform {

std::optional<std::string> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  in.seekg(0, std::ios::end);
  auto size = in.tellg();
  if (size < 0) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
  return bytes;
}

std::filesystem::path temporarySibling(const std::filesystem::path& path) {
  // The suffix keeps the name from matching "*.edb" (or the file's own pattern) in a listing.
  auto name = path.filename();
  name += ".quorvix-tmp";
  return path.parent_path() / name;
}

bool writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
  auto temp = temporarySibling(path);
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ec;
      std::filesystem::remove(temp, ec);
      return false;
    }
  }
  if (!replaceFile(temp, path)) {
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace platform
