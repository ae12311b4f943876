#include "app/writable_folder.h"

#include <string>
#include <system_error>

#include "platform/cp936.h"
#include "platform/process.h"

namespace app {

namespace fs = std::filesystem;

bool canWriteIn(const fs::path& folder) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) return false;
  }
  // A probe left by an ended run may hold a name; the next one is tried.
  const std::string stem = ".quorvix-write-check-" + std::to_string(platform::processId()) + "-";
  for (int attempt = 0; attempt < 8; ++attempt) {
    const fs::path probe = folder / (stem + std::to_string(attempt));
    if (fs::create_directory(probe, error)) {
      fs::remove(probe, error);
      return true;
    }
    if (error) return false;  // refused, not taken
  }
  return false;
}

std::string unwritableFolderText(const fs::path& folder) {
  const auto name = folder.u8string();
  return cp936::fromUtf8(
      "程序所在的文件夹不能写入：\n" + std::string(name.begin(), name.end()) +
      "\n\n题库和设置都保存在程序旁边。请把整个程序文件夹移动到可以写入的位置（例如 "
      "D:\\Quorvix、桌面或“文档”）后再运行，不需要以管理员身份运行。");
}

}  // namespace app
