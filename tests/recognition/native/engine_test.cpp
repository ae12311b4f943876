#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../../platform/fresh_folder.h"
#include "platform/cp936.h"
#include "recognition/grey_picture.h"
#include "recognition/tesseract_engine.h"
#include "screen_text.h"

namespace {

namespace fs = std::filesystem;
using recognition::EngineSettings;
using recognition::LoadError;
using recognition::LoadProblem;
using recognition::TesseractEngine;

const std::string kChineseFile = std::string(recognition::kChineseModels) + ".traineddata";

fs::path systemModel(const std::string& file) {
  return fs::path(recognition::systemDataFolder()) / file;
}

LoadProblem loadFrom(const fs::path& folder) {
  EngineSettings settings;
  settings.dataFolder = folder.string();
  LoadProblem problem;
  const auto engine = TesseractEngine::load(settings, problem);
  EXPECT_EQ(engine == nullptr, problem.error != LoadError::kNone);
  return problem;
}

TEST(EngineLoadingTest, NamesTheFolderOrModelAtFault) {
  const fs::path folder = freshFolder("recognition-load");
  LoadProblem problem = loadFrom(folder / "ocr");
  EXPECT_EQ(problem.error, LoadError::kMissingFolder);
  EXPECT_EQ(problem.path, (folder / "ocr").string());
  EXPECT_NE(recognition::describe(problem).find((folder / "ocr").string()), std::string::npos);

  // Only the English model there: the Chinese one is named as missing.
  fs::create_directory(folder / "ocr");
  fs::create_symlink(systemModel("eng.traineddata"), folder / "ocr" / "eng.traineddata");
  problem = loadFrom(folder / "ocr");
  EXPECT_EQ(problem.error, LoadError::kMissingModel);
  EXPECT_EQ(fs::path(problem.path).filename(), kChineseFile);

  // A folder by the model's name is no model either.
  fs::create_directory(folder / "ocr" / kChineseFile);
  EXPECT_EQ(loadFrom(folder / "ocr").error, LoadError::kMissingModel);
  fs::remove(folder / "ocr" / kChineseFile);

  // Damaged files: not a model at all, and a model cut short in a download.
  std::ofstream(folder / "ocr" / kChineseFile, std::ios::binary) << "not a model";
  problem = loadFrom(folder / "ocr");
  EXPECT_EQ(problem.error, LoadError::kDamagedModel);
  EXPECT_EQ(fs::path(problem.path).filename(), kChineseFile);
  EXPECT_NE(recognition::describe(problem).find("damaged"), std::string::npos);

  std::string model(1 << 16, '\0');
  std::ifstream(systemModel(kChineseFile), std::ios::binary)
      .read(model.data(), std::streamsize(model.size()));
  std::ofstream(folder / "ocr" / kChineseFile, std::ios::binary | std::ios::trunc) << model;
  problem = loadFrom(folder / "ocr");
  EXPECT_EQ(problem.error, LoadError::kDamagedModel);
  EXPECT_EQ(fs::path(problem.path).filename(), kChineseFile);
}

TEST(EngineLoadingTest, ModelListsNameEveryFile) {
  EXPECT_EQ(recognition::modelFiles("d", "chi_sim+eng"),
            (std::vector<std::string>{(fs::path("d") / "chi_sim.traineddata").string(),
                                      (fs::path("d") / "eng.traineddata").string()}));
  EXPECT_EQ(recognition::modelFiles("d", "+eng+").size(), 1u);
  EXPECT_TRUE(recognition::modelFiles("d", "").empty());
  // No model named at all is a fault too, not an engine with nothing to read.
  EngineSettings settings;
  settings.dataFolder = recognition::systemDataFolder();
  settings.chineseModels = "+";
  EXPECT_EQ(recognition::checkDataFolder(settings).error, LoadError::kMissingModel);
}

// The share of `want`'s letters, digits and Chinese characters found in order in `seen`.
double shareRead(const std::u16string& want, const std::u16string& seen) {
  std::size_t at = 0, found = 0, counted = 0;
  for (char16_t c : want) {
    if (!(c >= 0x4E00 && c < 0xA000) && !(c < 0x80 && std::isalnum(c))) continue;
    ++counted;
    const std::size_t next = seen.find(c, at);
    if (next != std::u16string::npos) ++found, at = next + 1;
  }
  return counted ? double(found) / double(counted) : 1;
}

TEST(EngineReadingTest, ReadsDrawnSelectionsInBothSchemesFromSeveralThreads) {
  EngineSettings settings;
  settings.dataFolder = recognition::systemDataFolder();
  settings.concurrent = 2;
  LoadProblem problem;
  const auto engine = TesseractEngine::load(settings, problem);
  ASSERT_TRUE(engine) << recognition::describe(problem);
  screentext::Renderer renderer;
  ASSERT_TRUE(renderer.ready()) << "no font at " << screentext::kDefaultFont;

  const char* question = "12．下列关于细胞结构的叙述，正确的是（ ）A．核糖体由 RNA 和蛋白质组成";
  std::vector<recognition::GreyPicture> pictures;
  for (screentext::Scheme scheme : {screentext::kBlackOnWhite, screentext::kWhiteOnDark}) {
    const screentext::Page page = renderer.render(question, 16, 400, scheme);
    const auto decoded = recognition::decodePicture(
        screentext::bmpOf(page, {14, 18, page.width - 14, page.height - 18}));
    ASSERT_EQ(decoded.error, recognition::PictureError::kNone);
    pictures.push_back(decoded.picture);
  }
  const std::u16string truth = cp936::toUtf16(cp936::fromUtf8(question));

  // Three selections on two engines: the third waits for one, none is lost or mixed up.
  std::vector<recognition::RecognizedText> results(3);
  std::vector<std::thread> users;
  for (std::size_t i = 0; i < results.size(); ++i)
    users.emplace_back(
        [&, i] { results[i] = recognition::recognizeScreenshot(*engine, pictures[i % 2]); });
  for (std::thread& user : users) user.join();
  for (std::size_t i = 0; i < results.size(); ++i) {
    ASSERT_TRUE(results[i].ok) << i;
    std::string text;
    for (const std::string& line : results[i].lines) text += line;
    EXPECT_GT(shareRead(truth, cp936::toUtf16(cp936::fromUtf8(text))), 0.9) << i << ": " << text;
  }

  // An empty selection holds no text; a picture claiming more pixels than it has is refused.
  recognition::GreyPicture blank{60, 30, std::vector<std::uint8_t>(60 * 30, 200)};
  const auto none = recognition::recognizeScreenshot(*engine, blank);
  EXPECT_TRUE(none.ok);
  EXPECT_TRUE(none.lines.empty());
  recognition::GreyPicture short_{400, 100, std::vector<std::uint8_t>(100, 0)};
  EXPECT_FALSE(engine->recognize(short_, recognition::TextLanguage::kChineseAndEnglish).ok);
}

}  // namespace
