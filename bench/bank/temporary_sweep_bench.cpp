// The look for abandoned temporaries that the first opening of a bank makes, against a plain
// listing of the same folder (opendir/readdir) in the same run.
//   temporary_sweep_bench [FILES]
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double bestMicroseconds(F&& run) {
  double best = 1e30;
  for (int round = 0; round < 5; ++round) {
    const auto start = Clock::now();
    for (int i = 0; i < 200; ++i) run();
    best = std::min(best, std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  return best / 200;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const int files = argc > 1 ? std::atoi(argv[1]) : 200;
  const fs::path folder = fs::temp_directory_path() / "quorvix-sweep-bench";
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (int i = 0; i < files; ++i) std::ofstream(folder / ("bank" + std::to_string(i) + ".edb"));
  const fs::path target = folder / "bank0.edb";

  const double sweep = bestMicroseconds([&] { platform::removeAbandonedTemporaries(target); });
  const double listing = bestMicroseconds([&] {
    DIR* dir = ::opendir(folder.c_str());
    while (::readdir(dir)) {
    }
    ::closedir(dir);
  });
  std::printf("folder of %d files: sweep %.1f us, plain listing %.1f us, ratio %.2f\n", files,
              sweep, listing, sweep / listing);
  fs::remove_all(folder);
}
