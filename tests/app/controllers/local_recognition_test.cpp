// Screenshot recognition with the program's own engine: chosen when no keys are stored, loaded
// on a worker when screenshot mode starts and kept, its text searched in the answer form, a
// load failure named in a notice, and the OCR service still used once keys are stored.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "../../platform/bmp_image.h"
#include "../../platform/fresh_folder.h"
#include "answer_form_fixture.h"
#include "app/controllers/screenshot_recognition.h"
#include "capture/ocr_settings.h"
#include "ocr_fake_service.h"

namespace answertest {
namespace {

const Pairs kCapitals = {{"中国的首都是哪里？", "北京"}, {"日本的首都是哪里？", "东京"}};

// White with a dark bar, so the preparation finds something to hand to the engine.
std::string barBmp() {
  bmp::Picture picture{60, 30, std::vector<bmp::Pixel>(60 * 30, bmp::Pixel{255, 255, 255})};
  for (int y = 10; y < 20; ++y)
    for (int x = 10; x < 50; ++x) picture.pixels[std::size_t(y * 60 + x)] = {0, 0, 0};
  return bmp::write(picture);
}

struct FakeEngine final : recognition::Recognizer {
  recognition::RecognizedText reply;
  std::atomic<int> reads{0};
  recognition::RecognizedText recognize(const recognition::GreyPicture&,
                                        recognition::TextLanguage) override {
    ++reads;
    return reply;
  }
};

class LocalRecognitionTest : public AnswerFormTest {
 protected:
  LocalRecognitionTest() {
    engine = std::make_shared<app::LocalEngine>([this](recognition::LoadProblem& problem) {
      ++loads;
      loadThread = std::this_thread::get_id();
      problem = loadProblem;
      if (problem.error != recognition::LoadError::kNone) return std::unique_ptr<FakeEngine>();
      auto made = std::make_unique<FakeEngine>();
      made->reply = reply;
      return made;
    });
    recognition = std::make_unique<app::OcrScreenshotRecognition>(
        ocr, runDir, [this] { ++settingsOpened; }, engine);
  }
  ~LocalRecognitionTest() override { recognition.reset(); }

  // As starting screenshot mode does; true when recognition is ready.
  bool startScreenshotMode() {
    std::optional<bool> ready;
    recognition->fetchToken(form->handle(), [&](bool held) { ready = held; });
    EXPECT_TRUE(backend.runUntil([&] { return ready.has_value(); }));
    return ready.value_or(false);
  }
  void recognize() {
    const auto before = backend.messages().size();
    const std::string keyword = form->编辑框1.content();
    recognition->recognize(form->handle(), barBmp());
    backend.runUntil(
        [&] { return form->编辑框1.content() != keyword || backend.messages().size() != before; });
    settle();
  }

  std::filesystem::path runDir = freshFolder("local-recognition");
  ocrtest::FakeOcrService service;
  std::shared_ptr<capture::OcrClient> ocr =
      std::make_shared<capture::OcrClient>(service.transport(), runDir, "https://ocr.test");
  recognition::RecognizedText reply{true, {"中国的", "首都"}};
  recognition::LoadProblem loadProblem;
  std::atomic<int> loads{0};
  std::thread::id loadThread;
  int settingsOpened = 0;
  std::shared_ptr<app::LocalEngine> engine;
  std::unique_ptr<app::OcrScreenshotRecognition> recognition;
};

TEST_F(LocalRecognitionTest, WithoutKeysTheEngineLoadsOffTheFormThreadOnceAndReadsSelections) {
  openForm(kCapitals);
  EXPECT_TRUE(startScreenshotMode());
  EXPECT_EQ(loads, 1);
  EXPECT_NE(loadThread, std::this_thread::get_id());
  EXPECT_EQ(settingsOpened, 0);

  recognize();
  EXPECT_EQ(form->编辑框1.content(), gbk("中国的首都"));
  EXPECT_EQ(question(), "中国的首都是哪里？");

  // Stopping and starting again, and further selections, keep the one engine.
  EXPECT_TRUE(startScreenshotMode());
  recognize();
  EXPECT_EQ(loads, 1);
  EXPECT_TRUE(backend.messages().empty());
  EXPECT_EQ(service.requests().size(), 0u) << "nothing reaches the network";
}

TEST_F(LocalRecognitionTest, ALoadFailureNamesTheFolderAndOpensTheSettingsAndIsTriedAgain) {
  openForm(kCapitals);
  loadProblem = {recognition::LoadError::kMissingFolder, "C:/题库/ocr"};
  EXPECT_FALSE(startScreenshotMode());
  ASSERT_EQ(backend.messages().size(), 1u);
  EXPECT_NE(cp936::toUtf8(backend.messages()[0].text).find("C:/题库/ocr"), std::string::npos);

  // A selection made anyway says the same, and leaves the keyword alone.
  backend.type(form->编辑框1, gbk("长江"));
  recognize();
  EXPECT_EQ(form->编辑框1.content(), gbk("长江"));
  EXPECT_EQ(backend.messages().size(), 2u);

  loadProblem = {};  // the folder was put back
  EXPECT_TRUE(startScreenshotMode());
  recognize();
  EXPECT_EQ(form->编辑框1.content(), gbk("中国的首都"));
}

TEST_F(LocalRecognitionTest, EngineOutcomesReachTheFormAsTheServicesDo) {
  openForm(kCapitals);
  ASSERT_TRUE(startScreenshotMode());
  searchFor("日本");
  auto& fake = static_cast<FakeEngine&>(*[&] {
    recognition::LoadProblem problem;
    return engine->acquire(problem);
  }());
  fake.reply = {true, {}};
  recognize();
  EXPECT_EQ(form->编辑框1.content(), "") << "no text empties the keyword";
  EXPECT_TRUE(backend.messages().empty());

  backend.type(form->编辑框1, gbk("长江"));
  fake.reply = {false, {}};
  recognize();
  EXPECT_EQ(form->编辑框1.content(), gbk("长江")) << "a failure keeps the keyword";
  EXPECT_EQ(backend.messages().size(), 1u);
}

TEST_F(LocalRecognitionTest, StoredKeysKeepTheServiceRoute) {
  openForm(kCapitals);
  ASSERT_TRUE(capture::StoreOcrKeys(runDir, {"api", "secret"}));
  service.add(ocrtest::kToken);
  EXPECT_TRUE(startScreenshotMode());
  service.add(ocrtest::linesReply({"日本的", "首都"}));
  recognize();
  EXPECT_EQ(form->编辑框1.content(), gbk("日本的首都"));
  EXPECT_EQ(loads, 0) << "the engine is not loaded when keys are stored";
}

}  // namespace
}  // namespace answertest
