// Started by the platform tests from a folder of their choosing: writes the program directory
// it finds, as UTF-8, to run_dir.txt inside that same directory.
#include "platform/files.h"
#include "platform/run_directory.h"
#include "platform/utf8.h"

int main() {
  auto dir = platform::programDirectory();
  auto wide = dir.wstring();
  std::string text = utf8::fromUtf16(std::u16string(wide.begin(), wide.end()));
  return platform::writeFileAtomic(dir / "run_dir.txt", text) ? 0 : 1;
}
