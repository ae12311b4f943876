#include "platform/files.h"

#include <atomic>
#include <exception>
#include <fstream>
#include <system_error>

#include "platform/process.h"

namespace platform {
namespace {

constexpr std::string_view kTemporarySuffix = ".quorvix-tmp";

}  // namespace

std::optional<std::string> readFile(const std::filesystem::path& path, std::uint64_t maxBytes) {
  // Only regular files: a folder opens as a stream natively and reports an absurd size, a FIFO
  // would block, a device would never end. Read until the end rather than trusting a size taken
  // beforehand, and stop past the limit.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  try {
    auto expected = std::filesystem::file_size(path, ec);
    if (!ec && expected > maxBytes) return std::nullopt;
    if (!ec && expected < bytes.max_size()) bytes.reserve(static_cast<std::size_t>(expected));
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
      bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
      if (bytes.size() > maxBytes) return std::nullopt;
    }
  } catch (const std::exception&) {  // too big for this process's memory
    return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::filesystem::path temporarySibling(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  std::string suffix(1, '.');
  suffix.append(std::to_string(processId())).append(1, '-').append(std::to_string(++counter));
  suffix.append(kTemporarySuffix);
  auto name = target.filename();
  name += suffix;
  return target.parent_path() / name;
}

bool isTemporarySibling(const std::filesystem::path& name) {
  return name.filename().extension() == kTemporarySuffix;
}

bool writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
  auto temp = temporarySibling(path);
  if (writeFileDurably(temp, bytes) && replaceDurably(temp, path)) return true;
  std::error_code ec;
  std::filesystem::remove(temp, ec);
  return false;
}

}  // namespace platform
