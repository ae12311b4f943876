// Where the local engine's models are, which ones it reads, and why loading them can fail, in
// words a front end can show.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace recognition {

// Models are named as the engine names them ("chi_sim", "script/HanS"); several read together
// are joined with '+'. Each is the file <name>.traineddata in the data folder.
inline constexpr const char* kChineseModels = "HanS";
inline constexpr const char* kEnglishModels = "eng";

// Folder and file names are UTF-8 on every system, so a folder with a Chinese name is no obstacle
// on Windows either.
std::filesystem::path pathFromUtf8(const std::string& utf8);
std::string utf8FromPath(const std::filesystem::path& path);

// Whether QUORVIX_OCR_MESSAGES is set.
bool libraryMessagesWanted();

struct EngineSettings {
  std::string dataFolder;                      // UTF-8
  std::string chineseModels = kChineseModels;  // for Chinese-and-English text
  std::string englishModels = kEnglishModels;  // for English alone
  int concurrent = 1;                          // recognitions at once
  // The picture library under the engine writes warnings to standard error ("Error in
  // pixScale..." for a picture too small to scale); only wanted when looking for a fault.
  bool libraryMessages = libraryMessagesWanted();
};

enum class LoadError { kNone, kMissingFolder, kMissingModel, kDamagedModel };

struct LoadProblem {
  LoadError error = LoadError::kNone;
  std::string path;  // the folder or the model file at fault
};

// One line naming the fault and the folder or file, e.g. for a notice or standard error.
std::string describe(const LoadProblem& problem);

// The model files a list of models needs, in the data folder.
std::vector<std::string> modelFiles(const std::string& dataFolder, const std::string& models);

// A missing folder or model file, found before the engine reads anything.
LoadProblem checkDataFolder(const EngineSettings& settings);

// Debian's folder of models (or the one TESSDATA_PREFIX names), for the native front ends.
std::string systemDataFolder();

}  // namespace recognition
