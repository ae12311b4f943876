// Provisioning of the spreadsheet library: the program carries the library's file image and
// writes it beside itself before the first workbook is read.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// The library's file image embedded in the program.
std::string_view LibraryImage();

// Puts the library file in the run directory: written when missing, replaced whole (the durable
// replace, through a temporary file of this process's own) when its FileVersion is not exactly
// "4.0.0.0" or cannot be read, then given the hidden attribute (or archive when hideLibraryFile
// is false). Several processes may do this at once: each one ends with a complete library of the
// right version, written by itself or by another. False when none can be put in place. Shows
// nothing.
bool EnsureLibraryFile(bool hideLibraryFile = true);
// Same, in the given folder instead of the run directory.
bool EnsureLibraryFileIn(const std::filesystem::path& folder, bool hideLibraryFile = true);

// The FileVersion text of a file's version resource; empty when it has none, and then
// `error` names the step that failed (GBK text), or stays empty when only the FileVersion
// value is missing.
std::string GetFileVersionText(const std::filesystem::path& path, std::string& error);

namespace xlversion {

// The error texts of GetFileVersionText, as UTF-8.
inline constexpr const char* kSizeFailed = "GetFileVersionInfoSize（获取信息长度）失败";
inline constexpr const char* kInfoFailed = "GetFileVersionInfo（获取信息）失败";
inline constexpr const char* kQueryFailed = "VerQueryValue（查询Version）失败";

}  // namespace xlversion

namespace xlbind {

// "libxl.dll" on Windows, "libxl.so" natively.
const char* libraryFileName();

}  // namespace xlbind
