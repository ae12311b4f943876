// Windows entry point: real windows for the toolkit, then the program's start and its message
// loop. The process ends with the loop's code once the last form is gone.
#include <windows.h>

#include "app/program_services.h"
#include "ui/win32/win32_backend.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ui::win32::Win32Backend backend;
  return app::runProgram(backend);
}
