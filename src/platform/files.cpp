#include "platform/files.h"

#include <atomic>
#include <chrono>
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

std::optional<std::uint32_t> temporaryOwner(const std::filesystem::path& name,
                                            const std::filesystem::path& target) {
  // "<target>.<pid>-<n>.quorvix-tmp", compared as the names' own characters.
  const auto file = name.filename().native();
  auto prefix = target.filename().native();
  prefix += '.';
  const std::filesystem::path::string_type suffix(kTemporarySuffix.begin(), kTemporarySuffix.end());
  if (file.size() <= prefix.size() + suffix.size() || file.compare(0, prefix.size(), prefix) != 0 ||
      file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
    return std::nullopt;
  const auto middle = file.substr(prefix.size(), file.size() - prefix.size() - suffix.size());
  const auto dash = middle.find('-');
  auto digits = [&](std::size_t from, std::size_t to) {
    if (from >= to || to - from > 10) return false;
    for (std::size_t i = from; i < to; ++i)
      if (middle[i] < '0' || middle[i] > '9') return false;
    return true;
  };
  if (dash == middle.npos || !digits(0, dash) || !digits(dash + 1, middle.size()))
    return std::nullopt;
  std::uint64_t pid = 0;
  for (std::size_t i = 0; i < dash; ++i) pid = pid * 10 + std::uint64_t(middle[i] - '0');
  if (pid == 0 || pid > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return static_cast<std::uint32_t>(pid);
}

void removeAbandonedTemporaries(const std::filesystem::path& target) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const auto folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const fs::path::string_type suffix(kTemporarySuffix.begin(), kTemporarySuffix.end());
  fs::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    // Most names are no temporary at all: tell them by their end, before anything else.
    const auto& full = it->path().native();
    if (full.size() < suffix.size() ||
        full.compare(full.size() - suffix.size(), suffix.size(), suffix) != 0)
      continue;
    const auto owner = temporaryOwner(it->path().filename(), target);
    if (!owner || *owner == processId()) continue;
    std::error_code statError;
    if (!fs::is_regular_file(fs::symlink_status(it->path(), statError))) continue;
    const auto written = fs::last_write_time(it->path(), statError);
    if (statError ||
        fs::file_time_type::clock::now() - written < std::chrono::seconds(kAbandonedAfterSeconds))
      continue;
    if (processHasEnded(*owner)) fs::remove(it->path(), statError);
  }
}

bool writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
  removeAbandonedTemporaries(path);
  auto temp = temporarySibling(path);
  if (writeFileDurably(temp, bytes) && replaceDurably(temp, path)) return true;
  std::error_code ec;
  std::filesystem::remove(temp, ec);
  return false;
}

}  // namespace platform
