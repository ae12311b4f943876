// The chooser's 导出题库: the save dialog it shows, the format the user's answer asks for, and
// the words for how the export ended.
#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "import/bank_export.h"
#include "ui/backend.h"

namespace app {

// The save dialog for exporting the bank at `bank`: named after it, as a workbook unless the
// user picks CSV or text, in `folder`.
ui::SaveFileRequest exportSaveRequest(const std::filesystem::path& bank,
                                      const std::filesystem::path& folder);

// The typed extension decides; a name without a known one takes the type chosen in the dialog.
// Nullopt when neither says.
std::optional<importer::ExportFormat> exportFormatOf(const ui::SaveFileChoice& choice);

// What the user reads once the export to `target` has ended (GBK).
std::string exportOutcomeText(const importer::ExportOutcome& outcome,
                              const std::filesystem::path& target);

}  // namespace app
