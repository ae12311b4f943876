#include "recognition/engine_data.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace recognition {

std::filesystem::path pathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool libraryMessagesWanted() { return std::getenv("QUORVIX_OCR_MESSAGES") != nullptr; }

std::string describe(const LoadProblem& problem) {
  switch (problem.error) {
    case LoadError::kNone:
      return {};
    case LoadError::kMissingFolder:
      return "the recognition data folder \"" + problem.path + "\" is missing";
    case LoadError::kMissingModel:
      return "the recognition model \"" + problem.path + "\" is missing";
    case LoadError::kDamagedModel:
      return "the recognition model \"" + problem.path + "\" is damaged";
  }
  return {};
}

std::vector<std::string> modelFiles(const std::string& dataFolder, const std::string& models) {
  std::vector<std::string> files;
  std::size_t start = 0;
  while (start <= models.size()) {
    std::size_t end = models.find('+', start);
    if (end == std::string::npos) end = models.size();
    if (end > start)
      files.push_back(
          utf8FromPath(pathFromUtf8(dataFolder) /
                       pathFromUtf8(models.substr(start, end - start) + ".traineddata")));
    start = end + 1;
  }
  return files;
}

LoadProblem checkDataFolder(const EngineSettings& settings) {
  std::error_code error;
  if (settings.dataFolder.empty() ||
      !std::filesystem::is_directory(pathFromUtf8(settings.dataFolder), error))
    return {LoadError::kMissingFolder, settings.dataFolder};
  for (const std::string* models : {&settings.chineseModels, &settings.englishModels}) {
    const std::vector<std::string> files = modelFiles(settings.dataFolder, *models);
    if (files.empty()) return {LoadError::kMissingModel, settings.dataFolder};
    for (const std::string& file : files)
      if (!std::filesystem::is_regular_file(pathFromUtf8(file), error))
        return {LoadError::kMissingModel, file};
  }
  return {};
}

std::string systemDataFolder() {
  if (const char* named = std::getenv("TESSDATA_PREFIX"); named && *named) return named;
  return "/usr/share/tesseract-ocr/5/tessdata";
}

}  // namespace recognition
