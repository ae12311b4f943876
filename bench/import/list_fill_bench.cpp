// What the import form costs under real windows. The same worksheet is loaded, then
// de-duplicated and imported into a fresh bank, with the rows in memory (the reference:
// reading, rendering and storing alone) and through the import form as the user drives it (the
// worker reads and imports, the form's owner-data list shows the rows, the progress bar moves,
// its message boxes are answered at once), N times each in turn; the ratios of the best times,
// wall and processor, are reported. Meanwhile another thread asks the form's list
// for its row count every few tens of milliseconds, as any program may: the slowest answer is
// reported. Then the rows in memory are shown in an owner-data list: the time to show them, and
// the time to page down and to jump anywhere against drawing a page of a list that holds its
// rows.
//
//   list_fill_bench RUNDIR WORKBOOK [--owner-data-only] [--runs N]
//   (a Windows program; run it under Wine with a display)
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

#include "app/controllers/background_work.h"
#include "app/controllers/bank_controller.h"
#include "app/controllers/import_session.h"
#include "app/forms/fonts.h"
#include "app/forms/import_form.h"
#include "bank/question_bank.h"
#include "import/memory_table.h"
#include "import/sheet_loader.h"
#include "import/table_import.h"
#include "platform/cp936.h"
#include "ui/system.h"
#include "ui/toolkit.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_backend.h"
// psapi.h needs the types windows.h defines.
#include <psapi.h>

namespace {

template <typename Work>
double secondsFor(Work&& work) {
  auto start = std::chrono::steady_clock::now();
  if (!work()) std::fprintf(stderr, "a step failed\n");
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of every thread of the process so far.
double processorSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& time) {
    return double((std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// Wall and processor time of a step; on a busy machine the processor time is the steadier one.
struct Spent {
  double wall = 0;
  double cpu = 0;
  void keepBetter(const Spent& other) {
    wall = wall == 0 ? other.wall : std::min(wall, other.wall);
    cpu = cpu == 0 ? other.cpu : std::min(cpu, other.cpu);
  }
};

template <typename Work>
Spent spentOn(Work&& work) {
  const double cpu = processorSeconds();
  const double wall = secondsFor(std::forward<Work>(work));
  return {wall, processorSeconds() - cpu};
}

struct Times {
  Spent load;
  Spent import;
};

double peakWorkingSetMb() {
  PROCESS_MEMORY_COUNTERS memory{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) return 0;
  return double(memory.PeakWorkingSetSize) / (1 << 20);
}

Times loadAndImportInMemory(importer::MemoryTable& table, const std::filesystem::path& runDir,
                            const std::filesystem::path& workbook) {
  importer::SheetLoadOptions options;
  options.rebuildColumns = false;
  options.hideLibraryFile = false;
  Times times;
  times.load = spentOn([&] {
    return importer::loadSheetIntoTable(workbook, table, options, runDir).error ==
           importer::SheetLoadError::none;
  });
  const auto bankPath = runDir / "memory.edb";
  std::filesystem::remove(bankPath);
  bank::RecordDatabase database;
  importer::ImportReport report;
  times.import = spentOn([&] {
    return database.createDatabase(bankPath, bank::bankSchema()) &&
           importer::importIntoBank(database, bankPath, table, report).error ==
               importer::ImportError::none;
  });
  return times;
}

// Another thread's questions to the form's list, the slowest answer kept; and every message
// box of the form answered at once, as a user in a hurry would.
class Bystander {
 public:
  Bystander(HWND list, DWORD uiThread) : list_(list), uiThread_(uiThread) {
    thread_ = std::thread([this] { run(); });
  }
  ~Bystander() {
    stop_ = true;
    thread_.join();
  }
  double slowestMs() const { return slowest_.load(); }
  void reset() { slowest_ = 0; }

 private:
  static BOOL CALLBACK answerBox(HWND window, LPARAM) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770" && IsWindowVisible(window))
      PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }
  void run() {
    // Boxes are looked for every 2 ms, so a box adds next to nothing to the time measured; the
    // list is asked every 24 ms.
    for (int round = 0; !stop_; ++round) {
      if (round % 12 == 0) ask();
      EnumThreadWindows(uiThread_, answerBox, 0);
      Sleep(2);
    }
  }
  void ask() {
    const auto start = std::chrono::steady_clock::now();
    DWORD_PTR count = 0;
    SendMessageTimeoutW(list_, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 10000, &count);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms > slowest_.load()) slowest_ = ms;
  }
  HWND list_;
  DWORD uiThread_;
  std::atomic<bool> stop_{false};
  std::atomic<double> slowest_{0};
  std::thread thread_;
};

void waitWhileBusy(const app::ImportSession& session) {
  while (session.busy()) ui::processMessages(1);
}

struct FormRun {
  Times times;
  double slowestLoadAnswerMs = 0;
  double slowestImportAnswerMs = 0;
  double peakAfterLoadMb = 0;
  Spent boxes;  // the import's two message boxes alone, answered as fast
  int rows = 0;
};

// The import form, driven as the user does: the workbook opened, then imported into a new bank.
FormRun loadAndImportInTheForm(const std::filesystem::path& runDir,
                               const std::filesystem::path& workbook) {
  FormRun run;
  app::BankController banks(runDir);
  std::shared_ptr<app::ImportSession> session;
  {
    app::BackgroundWork work;
    auto& form = ui::load<app::ImportForm>([&](app::ImportForm& loaded) {
      session = app::ImportSession::attach(loaded, banks, work);
    });
    ui::processMessages(50);
    Bystander bystander(ui::win32::Win32Backend::windowOf(form.超级列表框), GetCurrentThreadId());

    run.times.load = spentOn([&] {
      session->loadWorkbook(workbook);
      waitWhileBusy(*session);
      return session->table().rowCount() > 0;
    });
    run.rows = session->table().rowCount();
    run.slowestLoadAnswerMs = bystander.slowestMs();
    run.peakAfterLoadMb = peakWorkingSetMb();

    std::filesystem::remove(banks.questionBank().bankFolder() / "form.edb");
    form.单选框1.setChecked(false);
    form.单选框2.setChecked(true);
    form.编辑框1.setContent("form");
    bystander.reset();
    run.times.import = spentOn([&] {
      form.按钮_导入题库.onClick();
      waitWhileBusy(*session);
      return true;
    });
    run.slowestImportAnswerMs = bystander.slowestMs();
    // What the import's notice and outcome boxes cost by themselves, answered as fast: the part
    // of the form's import time that is the user's, not the work's.
    run.boxes = spentOn([&] {
      ui::timedMessageBox("notice", "caption", ui::mb::kOk, 2000);
      ui::messageBox("outcome");
      return true;
    });
    form.destroy();
    ui::processMessages(10);
  }
  return run;
}

// The import table's list as an owner-data list, and as a list that holds its rows: the
// import form's place, type and columns.
constexpr ui::ColumnDef kColumns[] = {{"序号", 50}, {"题目", 380}, {"答案", 380}, {"结果", 150}};
constexpr ui::ControlDef kOwnerDataControls[] = {{.name = "超级列表框",
                                                  .kind = ui::ControlKind::ListView,
                                                  .place = {5, 88, 984, 496},
                                                  .font = app::fonts::kKai,
                                                  .columns = kColumns,
                                                  .ownerData = true}};
constexpr ui::ControlDef kHoldingControls[] = {{.name = "超级列表框",
                                                .kind = ui::ControlKind::ListView,
                                                .place = {5, 88, 984, 496},
                                                .font = app::fonts::kKai,
                                                .columns = kColumns}};
constexpr ui::FormDef kOwnerDataForm{.name = "OwnerDataForm",
                                     .caption = "owner data",
                                     .place = {50, 50, 1000, 622},
                                     .controls = kOwnerDataControls};
constexpr ui::FormDef kHoldingForm{.name = "HoldingForm",
                                   .caption = "holding",
                                   .place = {50, 50, 1000, 622},
                                   .controls = kHoldingControls};

class OwnerDataForm : public ui::Form {
 public:
  OwnerDataForm() : ui::Form(kOwnerDataForm) {}
  ui::ListView 超级列表框{*this, "超级列表框"};
};

class HoldingForm : public ui::Form {
 public:
  HoldingForm() : ui::Form(kHoldingForm) {}
  ui::ListView 超级列表框{*this, "超级列表框"};
};

class TableRows final : public ui::ListRowSource {
 public:
  explicit TableRows(const importer::ImportTable& table) : table_(table) {}
  std::string cellText(int row, int column) const override {
    ++reads;
    return table_.cell(row, column);
  }
  mutable long reads = 0;

 private:
  const importer::ImportTable& table_;
};

struct Scrolling {
  double show = 0;         // count set and the first page drawn
  double pages = 0;        // kPages pages down from the top, each drawn
  double jumps = 0;        // kJumps jumps spread over the whole list, each drawn
  double classicPage = 0;  // one page drawn again by a list that holds its rows
  double ownerPage = 0;    // one page drawn again by the owner-data list
  long cellsRead = 0;
};

constexpr int kPages = 200;
constexpr int kJumps = 20;

// The time to draw the list's page again, kRepaints times, per page.
double repaintSeconds(HWND list) {
  constexpr int kRepaints = 20;
  return secondsFor([&] {
           for (int i = 0; i < kRepaints; ++i) {
             InvalidateRect(list, nullptr, TRUE);
             UpdateWindow(list);
           }
           return true;
         }) /
         kRepaints;
}

Scrolling showAndScroll(const importer::ImportTable& rows) {
  Scrolling result;
  {
    // The reference page: the same first rows in a list that holds them.
    auto& form = ui::load<HoldingForm>();
    for (int row = 0; row < std::min(rows.rowCount(), 64); ++row) {
      form.超级列表框.appendRow();
      for (int column = 0; column < 4; ++column) {
        form.超级列表框.setCell(row, column, rows.cell(row, column));
      }
    }
    ui::processMessages(50);
    result.classicPage = repaintSeconds(ui::win32::Win32Backend::windowOf(form.超级列表框));
    form.destroy();
    ui::processMessages(10);
  }

  TableRows source(rows);
  auto& form = ui::load<OwnerDataForm>();
  HWND list = ui::win32::Win32Backend::windowOf(form.超级列表框);
  ui::processMessages(50);
  const int count = rows.rowCount();
  result.show = secondsFor([&] {
    form.超级列表框.setRowSource(&source);
    form.超级列表框.setRowCount(count);
    UpdateWindow(list);
    return true;
  });
  result.ownerPage = repaintSeconds(list);
  result.pages = secondsFor([&] {
    for (int page = 0; page < kPages; ++page) {
      SendMessageW(list, WM_VSCROLL, SB_PAGEDOWN, 0);
      UpdateWindow(list);
    }
    return ListView_GetTopIndex(list) > 0;
  });
  result.jumps = secondsFor([&] {
    for (int jump = 1; jump <= kJumps; ++jump) {
      ListView_EnsureVisible(list, int(std::int64_t(count - 1) * jump / kJumps), FALSE);
      UpdateWindow(list);
    }
    return ListView_GetTopIndex(list) + ListView_GetCountPerPage(list) >= count;
  });
  result.cellsRead = source.reads;
  form.destroy();
  ui::processMessages(10);
  return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: list_fill_bench RUNDIR WORKBOOK [--owner-data-only] [--runs N]\n");
    return 2;
  }
  const std::filesystem::path runDir = argv[1], workbook = argv[2];
  bool ownerDataOnly = false;
  int runs = 3;
  for (int i = 3; i < argc; ++i) {
    const std::wstring option = argv[i];
    if (option == L"--owner-data-only") ownerDataOnly = true;
    if (option == L"--runs" && i + 1 < argc) runs = std::max(1, _wtoi(argv[++i]));
  }
  // The form finds the library and the bank folder in the run directory.
  SetEnvironmentVariableW(L"QUORVIX_RUN_DIR", runDir.c_str());

  ui::win32::Win32Backend backend;
  ui::install(backend);
  if (!ownerDataOnly) {
    // The form first, so the peak working set after its load is its own; then in memory and
    // the form in turn, the best of each kept.
    FormRun form = loadAndImportInTheForm(runDir, workbook);
    std::printf("form: %d rows; peak working set after the load %.0f MB\n", form.rows,
                form.peakAfterLoadMb);
    Times memory;
    for (int run = 0; run < runs; ++run) {
      auto rows = importer::MemoryTable::withImportColumns();
      const Times again = loadAndImportInMemory(rows, runDir, workbook);
      memory.load.keepBetter(again.load);
      memory.import.keepBetter(again.import);
      if (run + 1 == runs) break;
      const FormRun formAgain = loadAndImportInTheForm(runDir, workbook);
      form.times.load.keepBetter(formAgain.times.load);
      form.times.import.keepBetter(formAgain.times.import);
      form.boxes.keepBetter(formAgain.boxes);
      form.slowestLoadAnswerMs = std::max(form.slowestLoadAnswerMs, formAgain.slowestLoadAnswerMs);
      form.slowestImportAnswerMs =
          std::max(form.slowestImportAnswerMs, formAgain.slowestImportAnswerMs);
    }
    for (auto [name, inMemory, inForm] :
         {std::tuple{"load:  ", memory.load, form.times.load},
          std::tuple{"import:", memory.import, form.times.import}}) {
      std::printf(
          "%s in memory %6.2f s (cpu %6.2f s), in the form %6.2f s (cpu %6.2f s); ratios %5.2f "
          "(wall), %5.2f (cpu)\n",
          name, inMemory.wall, inMemory.cpu, inForm.wall, inForm.cpu, inForm.wall / inMemory.wall,
          inForm.cpu / inMemory.cpu);
    }
    const Spent work{form.times.import.wall - form.boxes.wall,
                     form.times.import.cpu - form.boxes.cpu};
    std::printf(
        "import: of the form's time, its two message boxes %.2f s (cpu %.2f s); without them "
        "ratios %5.2f (wall), %5.2f (cpu)\n",
        form.boxes.wall, form.boxes.cpu, work.wall / memory.import.wall,
        work.cpu / memory.import.cpu);
    std::printf(
        "slowest answer of the form's list: %.0f ms during the load, %.0f ms during the "
        "import\n",
        form.slowestLoadAnswerMs, form.slowestImportAnswerMs);
  }

  auto rows = importer::MemoryTable::withImportColumns();
  const Times reference = loadAndImportInMemory(rows, runDir, workbook);
  const Scrolling owner = showAndScroll(rows);
  std::printf("owner-data list: %d rows shown in %.3f s, %.3f of the in-memory load (%.2f s)\n",
              rows.rowCount(), owner.show, owner.show / reference.load.wall, reference.load.wall);
  std::printf(
      "owner-data list: %.1f ms a page down, %.1f ms a jump anywhere, %.1f ms a page "
      "redrawn; %ld cells read\n",
      1000 * owner.pages / kPages, 1000 * owner.jumps / kJumps, 1000 * owner.ownerPage,
      owner.cellsRead);
  std::printf(
      "a page of the list holding its rows redrawn in %.1f ms: ratios %.2f (page down), "
      "%.2f (jump), %.2f (redraw)\n",
      1000 * owner.classicPage, owner.pages / kPages / owner.classicPage,
      owner.jumps / kJumps / owner.classicPage, owner.ownerPage / owner.classicPage);
  std::printf("peak working set %.0f MB\n", peakWorkingSetMb());
  ui::uninstall();
  return 0;
}
