// Provisioning of the spreadsheet library: the program carries the library's file image and
// writes it beside itself before the first workbook is read.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// The library's file image embedded in the program.
std::string_view LibraryImage();

// Puts the library file in the run directory: written when missing, rewritten (through a
// temporary file and a rename) when its FileVersion is not exactly "4.0.0.0" or cannot be
// read, then given the hidden attribute (or archive when hideLibraryFile is false).
// False when the file cannot be written. Shows nothing.
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

// "\StringFileInfo\" + language and code page as eight upper-case hex digits + "\FileVersion".
std::string fileVersionQuery(unsigned language, unsigned codePage);

}  // namespace xlversion
