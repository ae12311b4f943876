#include "app/program_services.h"

#include <cstdlib>

#include "app/controllers/import_texts.h"
#include "app/date_text.h"
#include "app/shell.h"
#include "app/skin_step.h"
#include "import/xl_binding.h"
#include "platform/files.h"
#include "platform/run_directory.h"
#include "ui/system.h"

namespace app {

ProgramServices::ProgramServices(std::filesystem::path runDirectory)
    : runDirectory_(runDirectory), banks_(std::move(runDirectory)) {}

ShellServices ProgramServices::shellServices() {
  return {*this, banks_, import_, answer_, *this, *this};
}

void ProgramServices::applySkin() { app::applySkin(); }

void ProgramServices::fetchNetworkDate(AnswerForm&, std::function<void(double date)> arrived) {
  arrived(currentVariantDateUtc8());
}

void ProgramServices::openSettings() {
  ui::load<OcrSettingsForm>([this](OcrSettingsForm& form) { wireOcrSettingsForm(form); });
}

void ProgramServices::recognize(ui::FormHandle, std::string bmp) {
  keepSelectionForTests(runDirectory_, bmp);
}

void keepSelectionForTests(const std::filesystem::path& runDirectory, const std::string& bmp) {
  const char* keep = std::getenv("QUORVIX_KEEP_SELECTION");
  if (!keep || !*keep) return;
  platform::writeFileAtomic(runDirectory / "selection.bmp", bmp);
}

void stopForMissingFunction(const char* libraryFile, const char* function) {
  ui::messageBox(import_texts::missingFunctionText(libraryFile, function), "Quorvix",
                 ui::mb::kOk | ui::mb::kIconError);
  std::_Exit(1);
}

int runProgram(ui::Backend& backend) {
  ui::install(backend);
  xlbind::setMissingFunctionHandler(stopForMissingFunction);
  int exitCode = 0;
  {
    ProgramServices services(platform::runDirectory());
    Shell shell(services.shellServices());
    exitCode = shell.run();
    ui::uninstall();
  }
  return exitCode;
}

}  // namespace app
