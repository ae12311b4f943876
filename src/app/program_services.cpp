#include "app/program_services.h"

#include <cstdlib>

#include "app/controllers/import_texts.h"
#include "app/shell.h"
#include "app/skin_step.h"
#include "capture/ocr_inet_transport.h"
#include "capture/ocr_requests.h"
#include "import/xl_binding.h"
#include "platform/run_directory.h"
#include "ui/system.h"

namespace app {

ProgramServices::ProgramServices(std::filesystem::path runDirectory)
    : banks_(runDirectory),
      ocr_(std::make_shared<capture::OcrClient>(capture::internetOcrTransport(), runDirectory,
                                                capture::ocrServiceUrlOverride())),
      ocrSettings_(ocr_, runDirectory),
      recognition_(ocr_, runDirectory, [this] {
        ui::load<OcrSettingsForm>([this](OcrSettingsForm& form) { wireOcrSettingsForm(form); });
      }) {}

ShellServices ProgramServices::shellServices() {
  return {*this, banks_, import_, answer_, *this, date_};
}

void ProgramServices::applySkin() { app::applySkin(); }

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
