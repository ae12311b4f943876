#include "platform/user_folders.h"

#include <shlobj.h>
#include <windows.h>

namespace platform {

std::filesystem::path desktopFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(
          SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return {};
  return std::filesystem::path(folder);
}

}  // namespace platform
