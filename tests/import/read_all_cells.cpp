// Reads every cell of a workbook's first sheet as text through the binding, the way the import
// does, and reports the count, the time and (on Windows) the process's peak memory. Used by
// the benchmark and the memory measurement under Wine.
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "import/library_file.h"
#include "import/xl_book.h"

#ifdef _WIN32
#include <windows.h>
// psapi.h needs the types windows.h defines.
#include <psapi.h>
#endif

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: xl_read_all RUNDIR WORKBOOK\n");
    return 1;
  }
  auto start = std::chrono::steady_clock::now();
  if (!EnsureLibraryFileIn(argv[1], false)) return 1;
  XlBook book;
  if (!book.load(std::filesystem::path(argv[2]))) {
    std::fprintf(stderr, "cannot load: %s\n", book.loadFailure().c_str());
    return 1;
  }
  XlSheet sheet = book.getSheet(0);
  long cells = 0, bytes = 0;
  for (int row = 0, col = 0; sheet.nextCell(row, col); ++col, ++cells)
    bytes += static_cast<long>(sheet.readText(row, col).size());
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                  start)
                .count();
  std::printf("cells %ld text_bytes %ld ms %lld", cells, bytes, static_cast<long long>(ms));
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    std::printf(" peak_working_set_mb %.1f peak_private_mb %.1f",
                counters.PeakWorkingSetSize / 1048576.0, counters.PeakPagefileUsage / 1048576.0);
#endif
  std::printf("\n");
  return 0;
}
