// A 1920 x 1080 screenshot-like BMP re-encoded as JPEG, as every screenshot recognition does,
// against libjpeg-turbo's cjpeg (and ImageMagick's convert when present) on the same picture
// in the same run, both at quality 75. The tools run as processes, so their start-up is
// measured on a 1 x 1 picture and reported beside them.
//   transcode_bench [REPEATS]
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "capture/transcode_image.h"
#include "platform/files.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Rgb {
  unsigned char r, g, b;
};

// A desktop: a gradient wallpaper, overlapping windows with title bars, lines of dark
// glyph-like strokes on white, some icons. Flat areas and sharp edges, as screenshots have.
std::vector<Rgb> screenshot(int width, int height) {
  std::vector<Rgb> px(std::size_t(width) * std::size_t(height));
  auto at = [&](int x, int y) -> Rgb& {
    return px[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      at(x, y) = {std::uint8_t(30 + y * 60 / height), std::uint8_t(80 + x * 40 / width), 160};
  std::mt19937 random(20240601);
  auto fill = [&](int x0, int y0, int w, int h, Rgb c) {
    for (int y = std::max(0, y0); y < std::min(height, y0 + h); ++y)
      for (int x = std::max(0, x0); x < std::min(width, x0 + w); ++x) at(x, y) = c;
  };
  for (int i = 0; i < 24; ++i)
    fill(20 + i % 3 * 60, 40 + i * 40, 32, 32, {std::uint8_t(random()), 200, 90});
  for (int w = 0; w < 5; ++w) {
    const int x0 = 200 + w * 260, y0 = 80 + w * 120, ww = 900, wh = 620;
    fill(x0 - 1, y0 - 1, ww + 2, wh + 2, {60, 60, 60});
    fill(x0, y0, ww, 30, {0, 90, 200});
    fill(x0, y0 + 30, ww, wh - 30, {255, 255, 255});
    for (int line = 0; line * 22 + 50 < wh - 10; ++line) {
      int x = x0 + 16;
      const int limit = x0 + 60 + int(random() % unsigned(ww - 80));
      while (x < limit) {  // one "character": a few strokes in a 14 x 16 cell
        const int base = y0 + 44 + line * 22;
        for (int s = 0; s < 4; ++s) {
          const bool vertical = random() % 2;
          const int sx = x + int(random() % 12), sy = base + int(random() % 14);
          fill(sx, sy, vertical ? 2 : 8, vertical ? 8 : 2, {20, 20, 20});
        }
        x += 16;
      }
    }
  }
  return px;
}

std::string bmp24(const std::vector<Rgb>& px, int width, int height) {
  auto put = [](std::string& s, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) s += char(v >> (8 * i) & 0xFF);
  };
  const std::uint32_t stride = (std::uint32_t(width) * 3 + 3) / 4 * 4,
                      size = stride * std::uint32_t(height);
  std::string out = "BM";
  put(out, 54 + size, 4), put(out, 0, 4), put(out, 54, 4), put(out, 40, 4);
  put(out, std::uint32_t(width), 4), put(out, std::uint32_t(height), 4), put(out, 1, 2),
      put(out, 24, 2);
  put(out, 0, 4), put(out, size, 4), put(out, 0, 16);
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      const Rgb& p = px[std::size_t(y) * std::size_t(width) + std::size_t(x)];
      row += char(p.b), row += char(p.g), row += char(p.r);
    }
    row.resize(stride, '\0');
    out += row;
  }
  return out;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Runs a command with its standard output sent to `output`; the median wall time in seconds,
// or a negative value when the tool is missing or fails.
double timeTool(const std::vector<std::string>& argv, const fs::path& output, int repeats) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const auto start = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
      FILE* out = std::fopen(output.c_str(), "wb");
      if (!out || dup2(fileno(out), 1) < 0) _exit(127);
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      return -1;
    times.push_back(seconds(Clock::now() - start));
  }
  return median(times);
}

void report(const char* name, double ours, double tool, double startup, std::uintmax_t oursBytes,
            std::uintmax_t toolBytes) {
  if (tool < 0) {
    std::printf("%-8s not available\n", name);
    return;
  }
  std::printf(
      "%-8s %8.1f ms (start-up %.1f ms)   ours/%s: time %.2f, without its start-up %.2f, size "
      "%.2f\n",
      name, tool * 1e3, startup * 1e3, name, ours / tool, ours / std::max(tool - startup, 1e-9),
      double(oursBytes) / double(std::max<std::uintmax_t>(toolBytes, 1)));
}

}  // namespace

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const int width = 1920, height = 1080;
  const std::string bmp = bmp24(screenshot(width, height), width, height);
  const std::string tiny = bmp24({{255, 255, 255}}, 1, 1);
  const fs::path dir =
      fs::temp_directory_path() / ("quorvix-transcode-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  platform::writeFileAtomic(dir / "shot.bmp", bmp);
  platform::writeFileAtomic(dir / "tiny.bmp", tiny);

  std::string jpeg;
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    std::string image = bmp;  // each recognition works on its own copy
    const auto start = Clock::now();
    if (!capture::TranscodeImage(image, capture::kJpegFormat, {}, &image)) {
      std::fprintf(stderr, "transcode failed\n");
      return 1;
    }
    times.push_back(seconds(Clock::now() - start));
    jpeg = std::move(image);
  }
  const double ours = median(times);
  std::printf("picture  %d x %d, BMP %zu bytes, %d repeats, medians\n", width, height, bmp.size(),
              repeats);
  std::printf("ours     %8.1f ms, JPEG %zu bytes\n", ours * 1e3, jpeg.size());

  const auto out = dir / "out.jpg";
  const double cjpeg =
      timeTool({"cjpeg", "-quality", "75", (dir / "shot.bmp").string()}, out, repeats);
  const auto cjpegBytes = cjpeg < 0 ? 0 : fs::file_size(out);
  const double cjpegStart =
      timeTool({"cjpeg", "-quality", "75", (dir / "tiny.bmp").string()}, out, repeats);
  report("cjpeg", ours, cjpeg, cjpegStart, jpeg.size(), cjpegBytes);

  const double magick =
      timeTool({"convert", (dir / "shot.bmp").string(), "-quality", "75", "jpg:-"}, out, repeats);
  const auto magickBytes = magick < 0 ? 0 : fs::file_size(out);
  const double magickStart =
      timeTool({"convert", (dir / "tiny.bmp").string(), "-quality", "75", "jpg:-"}, out, repeats);
  report("convert", ours, magick, magickStart, jpeg.size(), magickBytes);

  fs::remove_all(dir);
  return 0;
}
