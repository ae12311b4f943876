// Reads a rendered question with the statically linked OCR engine the way the program will: the
// model comes from the ocr folder beside the executable (read through the wide-character API, so
// a Chinese folder name is no obstacle), and the pixels are handed in, not read by the engine.
//
// Usage: read_rendered_question PICTURE.pgm EXPECTED_TEXT [LANGUAGE]
// Exits 0 when the text read, without white space, equals EXPECTED_TEXT without white space.
// Prints what it read, the recognition time (model loading included) and the process's peak
// working set. DOTPRODUCT=generic|sse|avx|avx2|fma in the environment forces one SIMD kernel;
// the exit code is 77 (skipped) when this CPU lacks it.
#include <tesseract/baseapi.h>
// clang-format off
#include <windows.h>
#include <psapi.h>     // needs the types windows.h defines
#include <shellapi.h>
// clang-format on

#include <cctype>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kSkipped = 77;

struct GreyPicture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;  // one byte a pixel, rows top to bottom
};

std::string to_utf8(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring executable_folder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L".";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/"));
}

bool read_whole_file(const std::wstring& path, std::string& out) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return false;
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) out.append(buffer, got);
  bool ok = !ferror(file);
  fclose(file);
  return ok;
}

// Binary PGM ("P5", 8-bit): the simplest grey picture ImageMagick writes.
bool parse_pgm(const std::string& bytes, GreyPicture& picture) {
  size_t at = 0;
  auto next_number = [&](long& value) {
    while (at < bytes.size()) {
      if (bytes[at] == '#') {
        while (at < bytes.size() && bytes[at] != '\n') ++at;
      } else if (isspace(static_cast<unsigned char>(bytes[at]))) {
        ++at;
      } else {
        break;
      }
    }
    size_t start = at;
    value = 0;
    while (at < bytes.size() && isdigit(static_cast<unsigned char>(bytes[at])) && value < 100000)
      value = value * 10 + (bytes[at++] - '0');
    return at > start;
  };
  if (bytes.compare(0, 2, "P5") != 0) return false;
  at = 2;
  long width, height, max_value;
  if (!next_number(width) || !next_number(height) || !next_number(max_value)) return false;
  ++at;  // the single white-space character before the pixels
  if (width <= 0 || height <= 0 || max_value != 255) return false;
  size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (bytes.size() < at || bytes.size() - at < count) return false;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
  return true;
}

// The kernel forced through DOTPRODUCT, when this CPU (and system) cannot run it.
const char* forced_kernel_missing() {
  const char* kernel = getenv("DOTPRODUCT");
  if (!kernel) return nullptr;
  __builtin_cpu_init();
  const std::string name = kernel;
  if (name == "sse" && !__builtin_cpu_supports("sse4.1")) return kernel;
  if (name == "avx" && !__builtin_cpu_supports("avx")) return kernel;
  if (name == "avx2" && !__builtin_cpu_supports("avx2")) return kernel;
  if (name == "fma" && !__builtin_cpu_supports("fma")) return kernel;
  return nullptr;
}

std::string without_white_space(const std::string& text) {
  std::string out;
  for (char c : text)
    if (!isspace(static_cast<unsigned char>(c))) out += c;
  return out;
}

}  // namespace

int main() {
  int argc = 0;
  std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &argc),
                                                     &LocalFree);
  if (!argv || argc < 3) {
    fprintf(stderr, "usage: read_rendered_question PICTURE.pgm EXPECTED_TEXT [LANGUAGE]\n");
    return 2;
  }
  if (const char* kernel = forced_kernel_missing()) {
    printf("this CPU cannot run the %s kernel\n", kernel);
    return kSkipped;
  }
  const std::wstring picture_path = argv.get()[1];
  const std::string expected = to_utf8(argv.get()[2]);
  const std::wstring language = argc > 3 ? argv.get()[3] : L"chi_sim";

  std::string picture_bytes;
  GreyPicture picture;
  if (!read_whole_file(picture_path, picture_bytes) || !parse_pgm(picture_bytes, picture)) {
    fprintf(stderr, "cannot read the picture %s\n", to_utf8(picture_path).c_str());
    return 1;
  }
  const std::wstring model_path = executable_folder() + L"\\ocr\\" + language + L".traineddata";
  std::string model;
  if (!read_whole_file(model_path, model)) {
    fprintf(stderr, "cannot read the model %s\n", to_utf8(model_path).c_str());
    return 1;
  }

  // 32-bit Windows promises a stack only 4-byte alignment, and the SIMD kernels keep 16- and
  // 32-byte values on it: recognising on a thread of our own, as the program will, catches a
  // kernel that assumes more.
  std::string read;
  bool engine_ready = false;
  auto started = std::chrono::steady_clock::now();
  std::thread worker([&] {
    tesseract::TessBaseAPI engine;
    if (engine.Init(model.data(), static_cast<int>(model.size()), to_utf8(language).c_str(),
                    tesseract::OEM_LSTM_ONLY, nullptr, 0, nullptr, nullptr, false, nullptr) != 0)
      return;
    engine_ready = true;
    engine.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    engine.SetImage(picture.pixels.data(), picture.width, picture.height, 1, picture.width);
    std::unique_ptr<char[]> text(engine.GetUTF8Text());
    if (text) read = text.get();
    engine.End();
  });
  worker.join();
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  if (!engine_ready) {
    fprintf(stderr, "the engine refused the model %s\n", to_utf8(model_path).c_str());
    return 1;
  }

  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  printf("read: %s\n", read.c_str());
  printf("recognition: %lld ms, peak working set: %lu KiB\n",
         static_cast<long long>(elapsed.count()),
         static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024));
  if (without_white_space(read) != without_white_space(expected)) {
    printf("expected: %s\n", expected.c_str());
    return 1;
  }
  return 0;
}
