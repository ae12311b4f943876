#include "platform/files.h"

#include <exception>
#include <fstream>
#include <system_error>

namespace platform {

std::optional<std::string> readFile(const std::filesystem::path& path) {
  // A folder opens as a stream natively and reports an absurd size: only read regular files,
  // and read until the end rather than trusting a size taken beforehand.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  try {
    auto expected = std::filesystem::file_size(path, ec);
    if (!ec && expected < bytes.max_size()) bytes.reserve(static_cast<std::size_t>(expected));
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
      bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
  } catch (const std::exception&) {  // too big for this process's memory
    return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
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
  // The bytes reach the disk before the rename, or a power cut could leave the new name on an
  // empty file.
  if (writeFileDurably(temp, bytes) && replaceFile(temp, path)) return true;
  std::error_code ec;
  std::filesystem::remove(temp, ec);
  return false;
}

}  // namespace platform
