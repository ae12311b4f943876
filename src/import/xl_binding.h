// Binding of the spreadsheet library's functions by exported name. Each function is resolved
// on its first call from the library file beside the program (loaded by absolute path) and
// cached; a missing library or function is fatal, and the front end decides how the program
// stops (setMissingFunctionHandler).
//
//   XLCALL(xlBookLoadW)(book, path)
#pragma once
#include <atomic>
#include <filesystem>

#include "spreadsheet/xl_api.h"

namespace xlbind {

struct LazyFunction {
  const char* name;
  std::atomic<void*> address{nullptr};
};

// Loads the library if needed and finds the function; does not return when either is missing.
void* resolve(LazyFunction& function);

// Resolves the function like the first call would, but says false instead of stopping when the
// library or the function is missing: for functions a library of an earlier build lacks.
bool available(LazyFunction& function);

// Called with the library's file name and the function's name when either cannot be found; it
// must not return. Without one the process aborts.
using MissingFunctionHandler = void (*)(const char* libraryFile, const char* function);
void setMissingFunctionHandler(MissingFunctionHandler handler);

// The library file the binding loads: the one EnsureLibraryFile last put in place, else the
// library file name in the run directory.
std::filesystem::path libraryPath();
void setLibraryPath(const std::filesystem::path& path);

template <typename Function>
Function bound(LazyFunction& function) {
  void* address = function.address.load(std::memory_order_acquire);
  if (!address) address = resolve(function);
  return reinterpret_cast<Function>(address);
}

#define XL_DECLARE_ENTRY(ret, name, params) \
  extern LazyFunction name##Entry;          \
  using name##Type = ret(XLAPI*) params;
XL_API_FUNCTIONS(XL_DECLARE_ENTRY)
#undef XL_DECLARE_ENTRY

}  // namespace xlbind

#define XLCALL(name) (::xlbind::bound<::xlbind::name##Type>(::xlbind::name##Entry))
#define XLAVAILABLE(name) (::xlbind::available(::xlbind::name##Entry))
