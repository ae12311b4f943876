// An empty folder of the given name under a temporary folder whose own name is Chinese, so
// every file test also proves that paths never pass through the ANSI code page.
#pragma once
#include <filesystem>

inline std::filesystem::path freshFolder(const std::filesystem::path& name) {
  namespace fs = std::filesystem;
  auto dir = fs::temp_directory_path() / fs::path(u8"quorvix测试") / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}
