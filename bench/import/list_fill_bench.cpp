// How much the import form's list costs under real windows. The same worksheet is loaded,
// then de-duplicated and imported into a fresh bank, once with the rows in memory (the
// reference: reading, rendering and storing alone) and once in the form's list (pending
// messages run during the load, as the form does); the ratios of the times are reported.
//
//   list_fill_bench RUNDIR WORKBOOK    (a Windows program; run it under Wine with a display)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/controllers/list_view_table.h"
#include "app/forms/import_form.h"
#include "bank/question_bank.h"
#include "import/memory_table.h"
#include "import/sheet_loader.h"
#include "import/table_import.h"
#include "ui/toolkit.h"
#include "ui/win32/win32_backend.h"
// psapi.h needs the types windows.h defines.
#include <psapi.h>

namespace {

struct Times {
  double load = 0;
  double import = 0;
};

template <typename Work>
double secondsFor(Work&& work) {
  auto start = std::chrono::steady_clock::now();
  if (!work()) std::fprintf(stderr, "a step failed\n");
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Times loadAndImport(importer::ImportTable& table, const std::filesystem::path& runDir,
                    const std::filesystem::path& workbook, const std::string& bankName) {
  importer::SheetLoadOptions options;
  options.rebuildColumns = false;
  options.hideLibraryFile = false;
  Times times;
  times.load = secondsFor([&] {
    return importer::loadSheetIntoTable(workbook, table, options, runDir).error ==
           importer::SheetLoadError::none;
  });
  const auto bankPath = runDir / bankName;
  std::filesystem::remove(bankPath);
  bank::RecordDatabase database;
  importer::ImportReport report;
  times.import = secondsFor([&] {
    return database.createDatabase(bankPath, bank::bankSchema()) &&
           importer::importIntoBank(database, bankPath, table, report).error ==
               importer::ImportError::none;
  });
  return times;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: list_fill_bench RUNDIR WORKBOOK\n");
    return 2;
  }
  const std::filesystem::path runDir = argv[1], workbook = argv[2];

  Times reference;
  {
    auto rows = importer::MemoryTable::withImportColumns();
    reference = loadAndImport(rows, runDir, workbook, "memory.edb");
  }

  ui::win32::Win32Backend backend;
  ui::install(backend);
  auto& form = ui::load<app::ImportForm>();
  app::ListViewTable list(form.超级列表框);
  const Times shown = loadAndImport(list, runDir, workbook, "list.edb");

  std::printf("rows %d\n", list.rowCount());
  std::printf("load:   in memory %6.2f s, into the list %6.2f s, ratio %5.1f\n", reference.load,
              shown.load, shown.load / reference.load);
  std::printf("import: in memory %6.2f s, from the list %6.2f s, ratio %5.1f\n", reference.import,
              shown.import, shown.import / reference.import);
  PROCESS_MEMORY_COUNTERS memory{};
  if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory))
    std::printf("peak working set %.0f MB\n", double(memory.PeakWorkingSetSize) / (1 << 20));
  form.destroy();
  ui::uninstall();
  return 0;
}
