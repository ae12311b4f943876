// The program's run directory: the folder holding the program file. Tests point it elsewhere
// with the QUORVIX_RUN_DIR environment variable so each gets a fresh folder of its own.
#pragma once
#include <filesystem>

namespace platform {

inline constexpr const char* kRunDirEnv = "QUORVIX_RUN_DIR";

// The folder of the running program file (wide API on Windows, /proc/self/exe natively), or
// the folder named by QUORVIX_RUN_DIR when that is set and not empty.
std::filesystem::path runDirectory();

// The folder of the running program file, ignoring any override.
std::filesystem::path programDirectory();

}  // namespace platform
