// quorvix-ocr-service: recognises screenshots on this machine for the program's OCR client,
// answering the same token and general recognition requests as the cloud provider.
//
//   quorvix-ocr-service [--address A] [--port P] [--keys FILE] [--threads N] [--data DIR]
//                       [--model M]
//
// The first line printed is "listening on http://ADDRESS:PORT". SIGINT or SIGTERM stops it.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "ocr_service/http_front.h"
#include "ocr_service/key_file.h"
#include "ocr_service/recognition_service.h"
#include "recognition/tesseract_engine.h"

namespace {

constexpr const char* kUsage =
    "usage: quorvix-ocr-service [--address A] [--port P] [--keys FILE] [--threads N]\n"
    "                           [--data DIR] [--model M]\n"
    "  --address A   address to listen on (default 127.0.0.1)\n"
    "  --port P      port to listen on, 0 for any free one (default 8866)\n"
    "  --keys FILE   accept only these keys: one \"API_KEY SECRET_KEY\" pair a line\n"
    "                (default: any keys that are not empty)\n"
    "  --threads N   recognitions at once (default: the number of processor cores)\n"
    "  --data DIR    folder of the recognition models (default: the system's tessdata)\n"
    "  --model M     models for Chinese text, joined with '+' (default: HanS)\n";

struct Options {
  std::string address = "127.0.0.1";
  int port = 8866;
  std::string keyFile;
  int threads = 0;
  std::string dataFolder = recognition::systemDataFolder();
  std::string chineseModels = recognition::kChineseModels;
};

bool parseNumber(std::string_view text, int low, int high, int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

// 0: go on; otherwise the exit status.
int parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (name == "--help" || name == "-h") {
      std::fputs(kUsage, stdout);
      return -1;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "quorvix-ocr-service: %s needs a value\n%s", argv[i], kUsage);
      return 2;
    }
    const std::string_view value = argv[++i];
    bool good = true;
    if (name == "--address")
      options.address = value, good = !value.empty();
    else if (name == "--port")
      good = parseNumber(value, 0, 65535, options.port);
    else if (name == "--keys")
      options.keyFile = value;
    else if (name == "--data")
      options.dataFolder = value, good = !value.empty();
    else if (name == "--model")
      options.chineseModels = value, good = !value.empty();
    else if (name == "--threads")
      good = parseNumber(value, 1, 256, options.threads);
    else {
      std::fprintf(stderr, "quorvix-ocr-service: unknown option %s\n%s", argv[i - 1], kUsage);
      return 2;
    }
    if (!good) {
      std::fprintf(stderr, "quorvix-ocr-service: bad value for %s: %s\n", argv[i - 1], argv[i]);
      return 2;
    }
  }
  return 0;
}

// The recogniser's parallel loops would compete with the service's own threads, one each per
// request; OpenMP reads its limit only when it is loaded, so the process starts again with it.
void limitEngineThreads(char** argv) {
  if (std::getenv("OMP_THREAD_LIMIT")) return;
  setenv("OMP_THREAD_LIMIT", "1", 1);
  execv("/proc/self/exe", argv);
  // Still here: go on with the engine's own threads.
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const int status = parseOptions(argc, argv, options)) return status < 0 ? 0 : status;
  std::vector<ocr_service::ApiKeys> keys;
  std::string error;
  if (!options.keyFile.empty() && !ocr_service::loadKeyFile(options.keyFile, keys, error)) {
    std::fprintf(stderr, "quorvix-ocr-service: %s\n", error.c_str());
    return 1;
  }
  limitEngineThreads(argv);

  // Signals are taken by a thread of their own, which stops the server in an orderly way.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
  const int recognitions = options.threads ? options.threads : cores;
  recognition::EngineSettings settings;
  settings.dataFolder = options.dataFolder;
  settings.chineseModels = options.chineseModels;
  settings.concurrent = recognitions;
  recognition::LoadProblem problem;
  const std::unique_ptr<recognition::TesseractEngine> engine =
      recognition::TesseractEngine::load(settings, problem);
  if (!engine) {
    std::fprintf(stderr, "quorvix-ocr-service: %s\n", recognition::describe(problem).c_str());
    return 1;
  }
  ocr_service::RecognitionService service(
      std::move(keys),
      [&engine](const ocr_service::GreyPicture& picture, ocr_service::TextLanguage language) {
        return engine->recognize(picture, language);
      });
  ocr_service::HttpFront front(service, recognitions);
  const int port = front.bind(options.address, options.port, error);
  if (port < 0) {
    std::fprintf(stderr, "quorvix-ocr-service: %s\n", error.c_str());
    return 1;
  }
  const bool bracketed = options.address.find(':') != std::string::npos;
  std::printf("listening on http://%s%s%s:%d\n", bracketed ? "[" : "", options.address.c_str(),
              bracketed ? "]" : "", port);
  std::fflush(stdout);

  std::thread stopper([&front, stopSignals] {
    int received = 0;
    sigwait(&stopSignals, &received);
    front.stop();
  });
  const bool served = front.run();
  if (stopper.joinable()) {
    // run() can also end on its own (the socket failed): wake the stopper to let it finish.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
  }
  return served ? 0 : 1;
}
