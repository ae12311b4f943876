#include "skin/win32/kernel_functions.h"

#include <winternl.h>

#include <type_traits>

#include "skin/export_lookup.h"
#include "skin/pe_headers.h"

namespace skin::win32 {
namespace {

// A mapped module's headers lie in its first page.
constexpr std::uint64_t kHeaderPage = 0x1000;

wchar_t foldCase(wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; }

bool sameFileName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  }
  return true;
}

// A module the system has mapped: its headers give the size the export lookup may read.
std::optional<std::uint32_t> moduleExport(HMODULE module, std::string_view name) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(module);
  HeaderReading reading = readHeaders(ImageView(base, kHeaderPage));
  if (!reading.headers) return std::nullopt;
  return exportedFunction(ImageView(base, reading.headers->imageSize), name);
}

}  // namespace

// GCC 12 takes the thread block's read through the fs segment for an access to a null array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
const PEB* processBlock() { return NtCurrentTeb()->ProcessEnvironmentBlock; }
#pragma GCC diagnostic pop

HMODULE loadedModule(std::wstring_view fileName) {
  const PEB* peb = processBlock();
  const LIST_ENTRY* head = &peb->Ldr->InMemoryOrderModuleList;
  for (const LIST_ENTRY* link = head->Flink; link != head; link = link->Flink) {
    const auto* entry = CONTAINING_RECORD(link, LDR_DATA_TABLE_ENTRY, InMemoryOrderLinks);
    std::wstring_view path(entry->FullDllName.Buffer, entry->FullDllName.Length / sizeof(wchar_t));
    std::size_t slash = path.find_last_of(L"\\/");
    std::wstring_view file = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    if (sameFileName(file, fileName)) return static_cast<HMODULE>(entry->DllBase);
  }
  return nullptr;
}

std::optional<KernelFunctions> findKernelFunctions() {
  HMODULE kernel32 = loadedModule(L"kernel32.dll");
  if (!kernel32) return std::nullopt;
  auto getProcAddress = moduleExport(kernel32, "GetProcAddress");
  if (!getProcAddress) return std::nullopt;
  KernelFunctions k{};
  k.getProcAddress = reinterpret_cast<decltype(&GetProcAddress)>(
      reinterpret_cast<std::uintptr_t>(kernel32) + *getProcAddress);
  auto take = [&](auto& function, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
        reinterpret_cast<std::uintptr_t>(k.getProcAddress(kernel32, name)));
    return function != nullptr;
  };
  if (!take(k.loadLibrary, "LoadLibraryA") || !take(k.freeLibrary, "FreeLibrary") ||
      !take(k.virtualAlloc, "VirtualAlloc") || !take(k.virtualFree, "VirtualFree") ||
      !take(k.virtualProtect, "VirtualProtect")) {
    return std::nullopt;
  }
  return k;
}

}  // namespace skin::win32
