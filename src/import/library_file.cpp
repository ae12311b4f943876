#include "import/library_file.h"

#include <system_error>

#include "import/xl_binding.h"
#include "platform/cp936.h"
#include "platform/file_version.h"
#include "platform/files.h"
#include "platform/run_directory.h"

namespace xlbind {

const char* libraryFileName() {
#ifdef _WIN32
  return "libxl.dll";
#else
  return "libxl.so";
#endif
}

}  // namespace xlbind

std::string GetFileVersionText(const std::filesystem::path& path, std::string& error) {
  const platform::FileVersion version = platform::readFileVersion(path);
  switch (version.error) {
    case platform::FileVersionError::sizeFailed:
      error = cp936::fromUtf8(xlversion::kSizeFailed);
      break;
    case platform::FileVersionError::infoFailed:
      error = cp936::fromUtf8(xlversion::kInfoFailed);
      break;
    case platform::FileVersionError::queryFailed:
      error = cp936::fromUtf8(xlversion::kQueryFailed);
      break;
    case platform::FileVersionError::noValue:
    case platform::FileVersionError::none:
      break;
  }
  return version.text;
}

namespace {

constexpr std::string_view kRequiredVersion = "4.0.0.0";

bool hasRequiredVersion(const std::filesystem::path& path) {
  return platform::readFileVersion(path).text == kRequiredVersion;
}

// The file in place is this program's own library, byte for byte: a library left by an older
// build carries the same version text but not its fixes.
bool isThisProgramsLibrary(const std::filesystem::path& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size != LibraryImage().size()) return false;
  const auto bytes = platform::readFile(path);
  return bytes && *bytes == LibraryImage();
}

bool writeImage(const std::filesystem::path& path) {
  // Windows refuses to replace a hidden file in some ways of writing; clear it first.
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) platform::clearFileAttributes(path);
  return platform::writeFileAtomic(path, LibraryImage());
}

}  // namespace

bool EnsureLibraryFileIn(const std::filesystem::path& folder, bool hideLibraryFile) {
  const auto path = folder / xlbind::libraryFileName();
  // A failed replace may mean another process got there first, or that the library in place is
  // loaded and cannot be replaced (on Windows): then a complete library of the right version
  // in place will do.
  if (!isThisProgramsLibrary(path) && !writeImage(path) && !hasRequiredVersion(path)) return false;
  platform::setHiddenOrArchive(path, hideLibraryFile);
  xlbind::setLibraryPath(path);
  return true;
}

bool EnsureLibraryFile(bool hideLibraryFile) {
  return EnsureLibraryFileIn(platform::runDirectory(), hideLibraryFile);
}
