// What the workbook file reader needs of the system; posix/ and win32/ implement it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace xlfile::os {

// Opens a regular file for reading and gives its size; -1 with the reason in `error` when the
// path cannot be opened or is something else (a folder, a FIFO, a device). Never blocks.
int openRegularFile(const std::filesystem::path& path, std::uint64_t& size, std::string& error);
// Bytes read, 0 at the end, -1 on failure with the reason in `error`.
long readSome(int file, char* into, std::size_t count, std::string& error);
void closeFile(int file);

}  // namespace xlfile::os
