#include "ocr_service/key_file.h"

#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace ocr_service {
namespace {

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> found;
  constexpr std::string_view kBlank = " \t\r";
  for (std::size_t at = line.find_first_not_of(kBlank); at != std::string_view::npos;
       at = line.find_first_not_of(kBlank, at)) {
    const std::size_t end = line.find_first_of(kBlank, at);
    found.push_back(line.substr(at, end - at));
    at = end == std::string_view::npos ? line.size() : end;
  }
  return found;
}

}  // namespace

KeyFileResult parseKeyFile(std::string_view text) {
  KeyFileResult result;
  int number = 0;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    const std::vector<std::string_view> parts = words(line);
    if (parts.empty() || parts[0].starts_with('#')) continue;
    if (parts.size() != 2) {
      result.keys.clear();
      result.badLine = number;
      return result;
    }
    result.keys.push_back({std::string(parts[0]), std::string(parts[1])});
  }
  return result;
}

bool loadKeyFile(const std::string& path, std::vector<ApiKeys>& keys, std::string& error) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || status.type() != std::filesystem::file_type::regular) {
    error = "the key file " + path + " is not a regular file";
    return false;
  }
  const std::optional<std::string> text = platform::readFile(path, kMaxKeyFileBytes);
  if (!text) {
    error = "cannot read the key file " + path + " (at most " +
            std::to_string(kMaxKeyFileBytes >> 10) + " KB)";
    return false;
  }
  const KeyFileResult parsed = parseKeyFile(*text);
  if (parsed.badLine) {
    error = path + " line " + std::to_string(parsed.badLine) + " is not \"API_KEY SECRET_KEY\"";
    return false;
  }
  // An empty file must not open the service to every key.
  if (parsed.keys.empty()) {
    error = "the key file " + path + " holds no keys";
    return false;
  }
  keys = parsed.keys;
  return true;
}

}  // namespace ocr_service
