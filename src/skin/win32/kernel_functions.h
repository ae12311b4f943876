// The kernel calls the image loader makes in this process, taken without importing them:
// kernel32 is found by its file name among the process's loaded modules, GetProcAddress in its
// export table, and the others through GetProcAddress.
#pragma once
#include <windows.h>

#include <optional>
#include <string_view>

namespace skin::win32 {

struct KernelFunctions {
  decltype(&GetProcAddress) getProcAddress;
  decltype(&LoadLibraryA) loadLibrary;
  decltype(&FreeLibrary) freeLibrary;
  decltype(&VirtualAlloc) virtualAlloc;
  decltype(&VirtualFree) virtualFree;
  decltype(&VirtualProtect) virtualProtect;
};

// The base of the loaded module whose file name is `fileName`, in any letter case; null if none.
HMODULE loadedModule(std::wstring_view fileName);

// None when kernel32 or any of the functions cannot be found.
std::optional<KernelFunctions> findKernelFunctions();

}  // namespace skin::win32
