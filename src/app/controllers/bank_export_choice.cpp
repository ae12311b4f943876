#include "app/controllers/bank_export_choice.h"

#include "app/controllers/bank_texts.h"
#include "app/controllers/program_text.h"
#include "platform/cp936.h"

namespace app {
namespace {

namespace texts = bank_texts;

// The dialog's types, in the order of kExportFilter.
constexpr importer::ExportFormat kFilterFormats[] = {
    importer::ExportFormat::xlsx, importer::ExportFormat::csv, importer::ExportFormat::text};

std::string shownPath(const std::filesystem::path& path) {
  return cp936::fromUtf16(path.u16string());
}

}  // namespace

ui::SaveFileRequest exportSaveRequest(const std::filesystem::path& bank,
                                      const std::filesystem::path& folder) {
  ui::SaveFileRequest request;
  request.title = gbk(texts::kExportTitle);
  request.fileName = cp936::fromUtf16(bank.stem().u16string()) + ".xlsx";
  request.filter = gbk(texts::kExportFilter);
  request.filterIndex = 1;
  request.initialFolder = folder;
  request.defaultExtension = "xlsx";
  request.overwritePrompt = true;
  return request;
}

std::optional<importer::ExportFormat> exportFormatOf(const ui::SaveFileChoice& choice) {
  if (auto typed = importer::exportFormatOf(choice.file)) return typed;
  const int index = choice.filterIndex - 1;
  if (index < 0 || index >= int(std::size(kFilterFormats))) return std::nullopt;
  return kFilterFormats[index];
}

std::string exportOutcomeText(const importer::ExportOutcome& outcome,
                              const std::filesystem::path& target) {
  using importer::ExportError;
  const std::string where = shownPath(target);
  switch (outcome.error) {
    case ExportError::none: {
      std::string text = gbk(texts::kExportedBefore) + std::to_string(outcome.pairs) +
                         gbk(texts::kExportedMiddle) + where;
      if (outcome.inexact > 0)
        text += gbk(texts::kExportedInexactBefore) + std::to_string(outcome.inexact) +
                gbk(texts::kExportedInexactAfter);
      return text;
    }
    case ExportError::cannotReadBank:
    case ExportError::notABank:
      return gbk(texts::kExportBankUnreadable);
    case ExportError::targetExists:
      return gbk(texts::kExportTargetExists);
    case ExportError::targetIsBank:
      return gbk(texts::kExportOverBank);
    case ExportError::libraryUnavailable:
      return gbk(texts::kExportLibraryUnavailable);
    case ExportError::cannotMakeWorkbook:
      return gbk(texts::kExportWorkbookFailed) + outcome.detail;
    case ExportError::cannotWrite:
      return gbk(texts::kExportWriteFailedBefore) + where + gbk(texts::kExportWriteFailedAfter);
  }
  return {};
}

}  // namespace app
