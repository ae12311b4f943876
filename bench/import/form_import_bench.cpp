// The import form's model against rows in memory, natively: each workbook is loaded, then
// de-duplicated and imported into a fresh bank, once with a table in memory (the reference:
// reading, rendering and storing alone) and once through the import form over the headless
// toolkit, with the work on its worker threads and the rows handed to the form's table as
// the form does it. Each is measured twice, alternately, and the better time kept. Prints the
// times and their ratios.
//
//   form_import_bench RUNDIR WORKBOOK...
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

#include "app/controllers/background_work.h"
#include "app/controllers/bank_controller.h"
#include "app/controllers/import_session.h"
#include "app/forms/import_form.h"
#include "bank/question_bank.h"
#include "import/memory_table.h"
#include "import/sheet_loader.h"
#include "import/table_import.h"
#include "ui/headless/session.h"

namespace fs = std::filesystem;

namespace {

// Wall and processor time of a step; on a busy machine the processor time (of every thread of
// the process) is the steadier figure.
struct Spent {
  double wall = 0;
  double cpu = 0;
  void keepBetter(const Spent& other) {
    wall = std::min(wall, other.wall);
    cpu = std::min(cpu, other.cpu);
  }
};

struct Times {
  Spent load;
  Spent import;
  int rows = 0;  // after the load
  int kept = 0;  // after the repeats went
};

double processorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

template <typename Work>
Spent secondsFor(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = processorSeconds();
  if (!work()) std::fprintf(stderr, "a step failed\n");
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          processorSeconds() - cpuStart};
}

Times inMemory(const fs::path& runDir, const fs::path& workbook) {
  auto table = importer::MemoryTable::withImportColumns();
  importer::SheetLoadOptions options;
  options.rebuildColumns = false;  // as the form loads, library and all
  Times times;
  times.load = secondsFor([&] {
    return importer::loadSheetIntoTable(workbook, table, options, runDir).error ==
           importer::SheetLoadError::none;
  });
  times.rows = table.rowCount();
  const auto bankPath = runDir / "memory.edb";
  fs::remove(bankPath);
  bank::RecordDatabase database;
  importer::ImportReport report;
  times.import = secondsFor([&] {
    return database.createDatabase(bankPath, bank::bankSchema()) &&
           importer::importIntoBank(database, bankPath, table, report).error ==
               importer::ImportError::none;
  });
  times.kept = table.rowCount();
  return times;
}

Times inTheForm(const fs::path& runDir, const fs::path& workbook) {
  ui::headless::Session toolkit;
  auto& backend = toolkit.backend();
  app::BankController banks(runDir);
  Times times;
  app::BackgroundWork work;
  std::shared_ptr<app::ImportSession> session;
  auto& form = ui::load<app::ImportForm>(
      [&](app::ImportForm& loaded) { session = app::ImportSession::attach(loaded, banks, work); });
  auto untilDone = [&] { return backend.runUntil([&] { return !session->busy(); }, 600000); };
  times.load = secondsFor([&] {
    session->loadWorkbook(workbook);
    return untilDone();
  });
  times.rows = session->table().rowCount();
  fs::remove(banks.questionBank().bankFolder() / "form.edb");
  form.单选框2.setChecked(true);
  form.编辑框1.setContent("form");
  times.import = secondsFor([&] {
    backend.click(form.按钮_导入题库);
    return untilDone();
  });
  times.kept = session->table().rowCount();
  form.destroy();
  backend.runPending();
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: form_import_bench RUNDIR WORKBOOK...\n");
    return 2;
  }
  const fs::path runDir = argv[1];
  fs::create_directories(runDir);
  setenv("QUORVIX_RUN_DIR", runDir.c_str(), 1);  // where the form puts the library
  for (int i = 2; i < argc; ++i) {
    const fs::path workbook = argv[i];
    Times memory = inMemory(runDir, workbook);
    Times form = inTheForm(runDir, workbook);
    const Times memoryAgain = inMemory(runDir, workbook);
    const Times formAgain = inTheForm(runDir, workbook);
    memory.load.keepBetter(memoryAgain.load);
    memory.import.keepBetter(memoryAgain.import);
    form.load.keepBetter(formAgain.load);
    form.import.keepBetter(formAgain.import);
    std::printf("%s: %d rows, %d kept\n", workbook.filename().string().c_str(), form.rows,
                form.kept);
    if (form.rows != memory.rows || form.kept != memory.kept)
      std::printf("  the form's table differs from the one in memory (%d rows, %d kept)\n",
                  memory.rows, memory.kept);
    for (auto [name, inMemory, inForm] : {std::tuple{"load:  ", memory.load, form.load},
                                          std::tuple{"import:", memory.import, form.import}}) {
      std::printf(
          "  %s in memory %6.2f s (cpu %6.2f s), in the form %6.2f s (cpu %6.2f s); "
          "ratios %5.2f (wall), %5.2f (cpu)\n",
          name, inMemory.wall, inMemory.cpu, inForm.wall, inForm.cpu, inForm.wall / inMemory.wall,
          inForm.cpu / inMemory.cpu);
    }
  }
  return 0;
}
