// How much the import form's list costs under real windows. The same worksheet is loaded,
// then de-duplicated and imported into a fresh bank, once with the rows in memory (the
// reference: reading, rendering and storing alone) and once in the form's list (pending
// messages run during the load, as the form does); the ratios of the times are reported.
// Then the rows in memory are shown in an owner-data list, which only displays them: the time to
// show them against the in-memory load, and the time to page down and to jump anywhere against
// drawing a page of a list that holds its rows.
//
//   list_fill_bench RUNDIR WORKBOOK [--owner-data-only]
//   (a Windows program; run it under Wine with a display)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/controllers/list_view_table.h"
#include "app/forms/fonts.h"
#include "app/forms/import_form.h"
#include "bank/question_bank.h"
#include "import/memory_table.h"
#include "import/sheet_loader.h"
#include "import/table_import.h"
#include "ui/toolkit.h"
#include "ui/win32/win32_api.h"
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

// The import table's list as an owner-data list: the import form's place, type and columns.
constexpr ui::ColumnDef kColumns[] = {{"序号", 50}, {"题目", 380}, {"答案", 380}, {"结果", 150}};
constexpr ui::ControlDef kControls[] = {{.name = "超级列表框",
                                         .kind = ui::ControlKind::ListView,
                                         .place = {5, 88, 984, 496},
                                         .font = app::fonts::kKai,
                                         .columns = kColumns,
                                         .ownerData = true}};
constexpr ui::FormDef kOwnerDataForm{.name = "OwnerDataForm",
                                     .caption = "owner data",
                                     .place = {50, 50, 1000, 622},
                                     .controls = kControls};

class OwnerDataForm : public ui::Form {
 public:
  OwnerDataForm() : ui::Form(kOwnerDataForm) {}
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
    // The reference page: the same first rows in the import form's own list.
    auto& form = ui::load<app::ImportForm>();
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
    std::fprintf(stderr, "usage: list_fill_bench RUNDIR WORKBOOK [--owner-data-only]\n");
    return 2;
  }
  const std::filesystem::path runDir = argv[1], workbook = argv[2];
  const bool ownerDataOnly = argc > 3 && std::wstring(argv[3]) == L"--owner-data-only";

  auto rows = importer::MemoryTable::withImportColumns();
  const Times reference = loadAndImport(rows, runDir, workbook, "memory.edb");

  ui::win32::Win32Backend backend;
  ui::install(backend);
  std::printf("rows %d\n", rows.rowCount());
  if (!ownerDataOnly) {
    auto& form = ui::load<app::ImportForm>();
    app::ListViewTable list(form.超级列表框);
    const Times shown = loadAndImport(list, runDir, workbook, "list.edb");
    std::printf("load:   in memory %6.2f s, into the list %6.2f s, ratio %5.1f\n", reference.load,
                shown.load, shown.load / reference.load);
    std::printf("import: in memory %6.2f s, from the list %6.2f s, ratio %5.1f\n", reference.import,
                shown.import, shown.import / reference.import);
    form.destroy();
    ui::processMessages(10);
  }

  const Scrolling owner = showAndScroll(rows);
  std::printf("owner-data list: %d rows shown in %.3f s, %.3f of the in-memory load (%.2f s)\n",
              rows.rowCount(), owner.show, owner.show / reference.load, reference.load);
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
  std::printf("load into memory and show in the owner-data list: %.2f of the in-memory load\n",
              (reference.load + owner.show) / reference.load);
  PROCESS_MEMORY_COUNTERS memory{};
  if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory))
    std::printf("peak working set %.0f MB\n", double(memory.PeakWorkingSetSize) / (1 << 20));
  ui::uninstall();
  return 0;
}
