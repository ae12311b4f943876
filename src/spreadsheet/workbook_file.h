// Reading a workbook file whole. What is not a regular file (a folder, a FIFO, a device) or is
// bigger than any workbook is refused before anything is read, so a load never hangs on a
// pipe or grows without bound on /dev/zero.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

namespace xlfile {

// Twelve times the largest real workbook we have met (a 50,000-question bank of 21.7 MB),
// and small enough that the file and what it unpacks to fit a 32-bit process.
inline constexpr std::uint64_t kMaxWorkbookBytes = std::uint64_t{256} << 20;

// Fills `bytes` with the file's content; false with the reason in `error`.
bool readWorkbookFile(const std::filesystem::path& path, std::string& bytes, std::string& error);

// The reasons both platforms share.
std::string tooBigReason(std::uint64_t size);
inline constexpr char kFolderReason[] = "the path is a folder, not a workbook file";
inline constexpr char kFifoReason[] = "the path is a FIFO (named pipe), not a workbook file";
inline constexpr char kDeviceReason[] = "the path is a device, not a workbook file";
inline constexpr char kOtherTypeReason[] = "the path is not a regular file";
inline constexpr char kEmptyReason[] = "the workbook is empty (0 bytes)";
inline constexpr char kMissingReason[] = "the file does not exist";
inline constexpr char kDeniedReason[] = "access to the file is denied";

}  // namespace xlfile
