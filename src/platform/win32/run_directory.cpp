#include "platform/run_directory.h"

#include <windows.h>

#include <string>

namespace platform {

std::filesystem::path programDirectory() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (n == 0) return std::filesystem::current_path();
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  return std::filesystem::path(buffer).parent_path();
}

std::filesystem::path runDirectory() {
  // The wide environment keeps a non-ANSI override intact.
  wchar_t probe[1];
  DWORD n = GetEnvironmentVariableW(L"QUORVIX_RUN_DIR", probe, 1);
  if (n > 1) {
    std::wstring value(n, L'\0');
    DWORD got = GetEnvironmentVariableW(L"QUORVIX_RUN_DIR", value.data(), n);
    value.resize(got);
    if (!value.empty()) return std::filesystem::path(value);
  }
  return programDirectory();
}

}  // namespace platform
