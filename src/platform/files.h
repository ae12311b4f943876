// Files and folders with Unicode names. Paths stay std::filesystem::path end to end.
//
// Every file that holds the user's data, or that another process may have loaded, is replaced
// one way: the new bytes go into a temporary file beside it with a name of this writer's own,
// that file is flushed to the disk and renamed over the target in one step, and the folder is
// synced. A crash or a power cut at any point leaves the old or the new content, never a mix,
// never an empty file, and two writers never share a temporary.
#pragma once
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::uint64_t kAnySize = std::numeric_limits<std::uint64_t>::max();

// Whole regular file as bytes; nullopt when it cannot be read, is not a regular file (a folder,
// a FIFO, a device) or holds more than `maxBytes`.
std::optional<std::string> readFile(const std::filesystem::path& path,
                                    std::uint64_t maxBytes = kAnySize);

// A new name for a temporary file beside `target`, never handed out twice by any process:
// "<name>.<process>-<n>.quorvix-tmp". No listing of the target's pattern matches it.
std::filesystem::path temporarySibling(const std::filesystem::path& target);
bool isTemporarySibling(const std::filesystem::path& name);

// The process whose id a temporary of `target` carries, when `name` is exactly such a temporary.
std::optional<std::uint32_t> temporaryOwner(const std::filesystem::path& name,
                                            const std::filesystem::path& target);
// Removes the temporaries beside `target` that a process left when it was killed: only regular
// files named exactly as temporarySibling names them, whose process has ended and that are older
// than kAbandonedAfter (so a writer on another machine sharing the folder, whose id means nothing
// here, has long finished). A temporary of a running process stays, however old: its id may have
// been reused, but it may as well still be writing. Cheap: one listing of the folder.
inline constexpr std::int64_t kAbandonedAfterSeconds = 60;
void removeAbandonedTemporaries(const std::filesystem::path& target);

// True only when no process with this id is running any more.
bool processHasEnded(std::uint32_t pid);

// Creates or empties the file, writes the bytes and flushes them to the disk. Not atomic; fails
// on a read-only file (and on Windows on a hidden one, as CreateFile does).
bool writeFileDurably(const std::filesystem::path& path, std::string_view bytes);

// Renames `from`, whose bytes are already on the disk, onto `to` in one step (MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH on Windows; rename, then the folder synced,
// natively). Fails when `to` is read-only, as Windows does; the new file keeps the old one's
// hidden and system attributes (its permissions natively).
bool replaceDurably(const std::filesystem::path& from, const std::filesystem::path& to);

// The durable replace of a whole file with `bytes`. False on any failure, with the old file
// untouched and the temporary removed.
bool writeFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Windows file attributes; natively there is nothing to set and these succeed.
bool setHiddenOrArchive(const std::filesystem::path& path, bool hidden);
bool clearFileAttributes(const std::filesystem::path& path);

}  // namespace platform
