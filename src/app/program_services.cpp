#include "app/program_services.h"

#include <cstdlib>

#include "app/controllers/import_texts.h"
#include "app/shell.h"
#include "app/skin_step.h"
#include "app/writable_folder.h"
#include "capture/ocr_inet_transport.h"
#include "capture/ocr_requests.h"
#include "import/xl_binding.h"
#include "platform/run_directory.h"
#ifdef QUORVIX_LOCAL_ENGINE
#include "recognition/tesseract_engine.h"
#endif
#include "ui/system.h"

namespace app {
namespace {

// The models travel beside the program in ocr\; without an engine in this build, none.
std::shared_ptr<LocalEngine> programEngine(const std::filesystem::path& runDirectory) {
#ifdef QUORVIX_LOCAL_ENGINE
  recognition::EngineSettings settings;
  settings.dataFolder = recognition::utf8FromPath(runDirectory / "ocr");
  return std::make_shared<LocalEngine>([settings](recognition::LoadProblem& problem) {
    return std::unique_ptr<recognition::Recognizer>(
        recognition::TesseractEngine::load(settings, problem));
  });
#else
  (void)runDirectory;
  return nullptr;
#endif
}

}  // namespace

ProgramServices::ProgramServices(std::filesystem::path runDirectory)
    : banks_(runDirectory),
      ocr_(std::make_shared<capture::OcrClient>(capture::internetOcrTransport(), runDirectory,
                                                capture::ocrServiceUrlOverride())),
      ocrSettings_(ocr_, runDirectory),
      recognition_(
          ocr_, runDirectory,
          [this] {
            ui::load<OcrSettingsForm>([this](OcrSettingsForm& form) { wireOcrSettingsForm(form); });
          },
          programEngine(runDirectory)) {}

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
  const auto runDirectory = platform::runDirectory();
  if (!canWriteIn(runDirectory)) {
    ui::messageBox(unwritableFolderText(runDirectory), "Quorvix",
                   ui::mb::kOk | ui::mb::kIconError);
    ui::uninstall();
    return 1;
  }
  int exitCode = 0;
  {
    ProgramServices services(runDirectory);
    Shell shell(services.shellServices());
    exitCode = shell.run();
    ui::uninstall();
  }
  return exitCode;
}

}  // namespace app
