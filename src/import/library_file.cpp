#include "import/library_file.h"

#include <cstdio>
#include <system_error>

#include "import/library_os.h"
#include "import/xl_binding.h"
#include "platform/files.h"
#include "platform/run_directory.h"

namespace xlversion {

std::string fileVersionQuery(unsigned language, unsigned codePage) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%08X", ((language & 0xFFFFu) << 16) | (codePage & 0xFFFFu));
  return std::string("\\StringFileInfo\\") + digits + "\\FileVersion";
}

}  // namespace xlversion

namespace {

constexpr std::string_view kRequiredVersion = "4.0.0.0";

bool hasRequiredVersion(const std::filesystem::path& path) {
  std::string error;
  return GetFileVersionText(path, error) == kRequiredVersion;
}

bool writeImage(const std::filesystem::path& path) {
  // Windows refuses to replace a hidden file in some ways of writing; clear it first.
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) xlbind::clearFileAttributes(path);
  return platform::writeFileAtomic(path, LibraryImage());
}

}  // namespace

bool EnsureLibraryFileIn(const std::filesystem::path& folder, bool hideLibraryFile) {
  const auto path = folder / xlbind::libraryFileName();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec) && !writeImage(path)) return false;
  if (!hasRequiredVersion(path) && !writeImage(path)) return false;
  xlbind::setHiddenOrArchive(path, hideLibraryFile);
  xlbind::setLibraryPath(path);
  return true;
}

bool EnsureLibraryFile(bool hideLibraryFile) {
  return EnsureLibraryFileIn(platform::runDirectory(), hideLibraryFile);
}
