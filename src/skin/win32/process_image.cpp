// Images mapped into this process: the loader's memory and library calls made with the kernel's
// own functions, and calls into the mapped code.
#include "skin/process_image.h"

#include <windows.h>

#include "skin/win32/kernel_functions.h"

namespace skin {
namespace {

class ProcessHost final : public ImageMemory, public ImportLibraries {
 public:
  explicit ProcessHost(const win32::KernelFunctions& kernel) : k_(kernel) {}

  std::optional<Region> reserve(std::uint32_t address, std::uint32_t size) override {
    void* start = k_.virtualAlloc(pointer(address), size, MEM_RESERVE, PAGE_READWRITE);
    if (!start) return std::nullopt;
    return Region{std::uint32_t(reinterpret_cast<std::uintptr_t>(start)),
                  static_cast<std::uint8_t*>(start)};
  }
  bool commit(std::uint32_t address, std::uint32_t size) override {
    return k_.virtualAlloc(pointer(address), size, MEM_COMMIT, PAGE_READWRITE) != nullptr;
  }
  bool decommit(std::uint32_t address, std::uint32_t size) override {
    return k_.virtualFree(pointer(address), size, MEM_DECOMMIT);
  }
  bool protect(std::uint32_t address, std::uint32_t size, std::uint32_t protection) override {
    DWORD previous;
    return k_.virtualProtect(pointer(address), size, protection, &previous);
  }
  void release(std::uint32_t address) override { k_.virtualFree(pointer(address), 0, MEM_RELEASE); }
  bool callEntryPoint(std::uint32_t entry, std::uint32_t base, std::uint32_t reason) override {
    using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
    auto call = reinterpret_cast<EntryPoint>(std::uintptr_t(entry));
    return call(static_cast<HINSTANCE>(pointer(base)), reason, nullptr) != FALSE;
  }

  std::optional<Handle> load(const std::string& name) override {
    HMODULE module = k_.loadLibrary(name.c_str());
    if (!module) return std::nullopt;
    return reinterpret_cast<Handle>(module);
  }
  std::optional<std::uint32_t> byName(Handle library, const std::string& name) override {
    return address(k_.getProcAddress(module(library), name.c_str()));
  }
  std::optional<std::uint32_t> byOrdinal(Handle library, std::uint16_t ordinal) override {
    return address(k_.getProcAddress(module(library), MAKEINTRESOURCEA(ordinal)));
  }
  void free(Handle library) override { k_.freeLibrary(module(library)); }

 private:
  static void* pointer(std::uint32_t address) {
    return reinterpret_cast<void*>(std::uintptr_t(address));
  }
  static HMODULE module(Handle library) { return reinterpret_cast<HMODULE>(library); }
  static std::optional<std::uint32_t> address(FARPROC function) {
    if (!function) return std::nullopt;
    return std::uint32_t(reinterpret_cast<std::uintptr_t>(function));
  }

  win32::KernelFunctions k_;
};

// One for the whole run: mapped images keep using it until the process ends.
ProcessHost* processHost() {
  static ProcessHost* host = [] {
    auto kernel = win32::findKernelFunctions();
    return kernel ? new ProcessHost(*kernel) : nullptr;
  }();
  return host;
}

}  // namespace

LoadResult mapIntoProcess(std::span<const std::uint8_t> image) {
  ProcessHost* host = processHost();
  if (!host) return {nullptr, LoadError::Unsupported};
  return loadImageFromMemory(image, *host, *host);
}

std::optional<std::uintptr_t> callExport(const LoadedImage& image, std::string_view name,
                                         std::span<const std::uintptr_t> a) {
  auto found = findExport(image, name);
  if (!found) return std::nullopt;
  using W = std::uintptr_t;
  auto f = std::uintptr_t(*found);
  switch (a.size()) {
    case 0:
      return reinterpret_cast<W(WINAPI*)()>(f)();
    case 1:
      return reinterpret_cast<W(WINAPI*)(W)>(f)(a[0]);
    case 2:
      return reinterpret_cast<W(WINAPI*)(W, W)>(f)(a[0], a[1]);
    case 3:
      return reinterpret_cast<W(WINAPI*)(W, W, W)>(f)(a[0], a[1], a[2]);
    case 4:
      return reinterpret_cast<W(WINAPI*)(W, W, W, W)>(f)(a[0], a[1], a[2], a[3]);
    case 5:
      return reinterpret_cast<W(WINAPI*)(W, W, W, W, W)>(f)(a[0], a[1], a[2], a[3], a[4]);
    case 6:
      return reinterpret_cast<W(WINAPI*)(W, W, W, W, W, W)>(f)(a[0], a[1], a[2], a[3], a[4], a[5]);
    default:
      return std::nullopt;
  }
}

}  // namespace skin
