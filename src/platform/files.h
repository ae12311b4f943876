// Files and folders with Unicode names. Paths stay std::filesystem::path end to end.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Whole file as bytes; nullopt when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& path);

// Replaces the file's content so that a crash at any point leaves the old or the new bytes:
// writes a temporary file beside it, then renames it into place. False on any failure (a
// read-only file included), with the old file untouched and the temporary removed.
bool writeFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Creates or truncates the file, writes the bytes and flushes them to the disk. Not atomic;
// fails on a read-only file (and on Windows on a hidden one, as CreateFile does).
bool writeFileDurably(const std::filesystem::path& path, std::string_view bytes);

// Renames `from` onto `to`, replacing it (MoveFileEx with MOVEFILE_REPLACE_EXISTING on Windows).
// Fails when `to` is read-only, as Windows does; the new file keeps the old one's hidden and
// system attributes (its permissions natively).
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// A name for a temporary file beside `path` that no listing of "*.edb" or similar will match.
std::filesystem::path temporarySibling(const std::filesystem::path& path);

}  // namespace platform
