// The FileVersion a file states: its VERSIONINFO resource on Windows (version.dll); natively
// the same answers carried as a marked text block inside the file (see kVersionBlockMarker).
#pragma once
#include <filesystem>
#include <string>

namespace platform {

enum class FileVersionError {
  none,
  sizeFailed,   // no version information (GetFileVersionInfoSize)
  infoFailed,   // it could not be read (GetFileVersionInfo)
  queryFailed,  // no language and code page (VerQueryValue of the translation)
  noValue,      // everything but the FileVersion value itself
};

struct FileVersion {
  std::string text;  // GBK; empty unless error is none
  FileVersionError error = FileVersionError::none;
};

FileVersion readFileVersion(const std::filesystem::path& path);

// "\StringFileInfo\" + language and code page as eight upper-case hex digits + "\FileVersion".
std::string fileVersionQuery(unsigned language, unsigned codePage);

// Natively a library states its version as "<marker>\0<query>=<value>\0...\0\0", queries
// spelled as for VerQueryValue ("\VarFileInfo\Translation=080404B0", then fileVersionQuery).
inline constexpr char kVersionBlockMarker[] = "QuorvixVersionBlock";

}  // namespace platform
