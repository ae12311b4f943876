// Reads every selection (*.bmp) of a folder as the Windows program does: the picture decoded,
// prepared and read by the engine loaded from ocr\ beside this executable, one at a time.
// Writes "NAME<TAB>TEXT" (UTF-8, the lines joined with nothing) per selection, and reports the
// engine's load time, the median and 95th-percentile time per selection, and the process's
// peak working set.
//
//   exe_recognition_bench FOLDER OUT.tsv
// clang-format off
#include <windows.h>
#include <psapi.h>  // needs the types windows.h defines
// clang-format on

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "recognition/grey_picture.h"
#include "recognition/recognizer.h"
#include "recognition/tesseract_engine.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double percentileOf(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

fs::path executableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
  path.resize(length);
  return fs::path(path).parent_path();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: exe_recognition_bench FOLDER OUT.tsv\n");
    return 2;
  }
  recognition::EngineSettings settings;
  settings.dataFolder = recognition::utf8FromPath(executableFolder() / "ocr");
  recognition::LoadProblem problem;
  const auto loadStart = Clock::now();
  const auto engine = recognition::TesseractEngine::load(settings, problem);
  const double loadSeconds = std::chrono::duration<double>(Clock::now() - loadStart).count();
  if (!engine) {
    std::fprintf(stderr, "%s\n", recognition::describe(problem).c_str());
    return 1;
  }

  std::vector<fs::path> pictures;
  for (const auto& entry : fs::directory_iterator(argv[1]))
    if (entry.path().extension() == ".bmp") pictures.push_back(entry.path());
  std::sort(pictures.begin(), pictures.end());

  std::ofstream out(argv[2], std::ios::binary);
  std::vector<double> seconds;
  for (const fs::path& picture : pictures) {
    std::ifstream in(picture, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const auto start = Clock::now();
    const recognition::DecodedPicture decoded = recognition::decodePicture(bytes.str());
    std::string text;
    if (decoded.error == recognition::PictureError::kNone)
      for (const std::string& line :
           recognition::recognizeScreenshot(*engine, decoded.picture).lines)
        text += line;
    seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    out << picture.stem().string() << '\t' << text << '\n';
  }

  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf(
      "engine load %.2f s; %zu selections: median %.3f s, p95 %.3f s; peak working set "
      "%lu MiB\n",
      loadSeconds, seconds.size(), percentileOf(seconds, 0.5), percentileOf(seconds, 0.95),
      static_cast<unsigned long>(memory.PeakWorkingSetSize / (1024 * 1024)));
  return 0;
}
