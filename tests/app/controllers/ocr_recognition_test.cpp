// A screenshot recognised into the answer form: the joined lines searched, a picture without
// text, and each kind of failure told apart, with the keyword box left as it was.
#include "app/controllers/ocr_recognition.h"

#include <gtest/gtest.h>

#include <future>

#include "../../platform/bmp_image.h"
#include "../../platform/fresh_folder.h"
#include "answer_form_fixture.h"
#include "ocr_fake_service.h"

namespace answertest {
namespace {

using ocrtest::FakeOcrService;

const Pairs kCapitals = {
    {"中国的首都是哪里？", "北京"}, {"长江有多长？", "六千多公里"}, {"日本的首都是哪里？", "东京"}};

std::string smallBmp() { return bmp::write({2, 2, std::vector<bmp::Pixel>(4)}); }

class OcrRecognitionTest : public AnswerFormTest {
 protected:
  // A client that holds a token, as after a passed key test.
  void holdToken() {
    service.add(ocrtest::kToken);
    ASSERT_EQ(ocr->TestOcrKeys("api", "secret").outcome, capture::KeyTestOutcome::kKeysAccepted);
  }
  void recognize(std::string picture = smallBmp(), std::shared_future<void> tokenFetch = {}) {
    app::recognizeIntoAnswerForm(workers, ocr, form->handle(), std::move(picture),
                                 std::move(tokenFetch));
  }
  // Until the recognition's worker has let go of the client and its outcome has arrived.
  void settleRecognition() {
    ASSERT_TRUE(backend.runUntil([this] { return ocr.use_count() == 1; }));
    settle();
  }

  std::filesystem::path runDir = freshFolder("ocr-recognition");
  FakeOcrService service;
  std::shared_ptr<capture::OcrClient> ocr =
      std::make_shared<capture::OcrClient>(service.transport(), runDir, "https://ocr.test");
  platform::OneShots workers;
};

TEST_F(OcrRecognitionTest, TheJoinedLinesBecomeTheKeywordAndAreSearched) {
  openForm(kCapitals);
  holdToken();
  form->选择框_自动搜索.setChecked(false);  // plays no part here
  service.add(ocrtest::linesReply({"的", "首都"}));
  recognize();
  settleRecognition();
  EXPECT_EQ(form->编辑框1.content(), gbk("的首都"));
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/2");
  EXPECT_EQ(question(), "中国的首都是哪里？");
  EXPECT_TRUE(backend.messages().empty());
}

TEST_F(OcrRecognitionTest, APictureWithoutTextEmptiesTheKeywordAndSearchesNothing) {
  openForm(kCapitals);
  holdToken();
  searchFor("长江");
  service.add(ocrtest::linesReply({}));
  recognize();
  settleRecognition();
  EXPECT_EQ(form->编辑框1.content(), "");
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/1") << "no search ran";
  EXPECT_TRUE(backend.messages().empty());
}

// Screenshot mode fetches its token on a worker; a selection made before it came is sent with it.
TEST_F(OcrRecognitionTest, ASelectionMadeWhileTheTokenIsOnItsWayWaitsForIt) {
  openForm(kCapitals);
  std::promise<void> fetchEnded;
  recognize(smallBmp(), fetchEnded.get_future().share());
  holdToken();  // as the fetch would
  service.add(ocrtest::linesReply({"长江"}));
  fetchEnded.set_value();
  settleRecognition();
  EXPECT_EQ(form->编辑框1.content(), gbk("长江"));
  EXPECT_TRUE(backend.messages().empty());
}

TEST_F(OcrRecognitionTest, AFailureSaysWhichAndKeepsTheKeyword) {
  openForm(kCapitals);
  backend.type(form->编辑框1, gbk("长江"));
  struct Case {
    const char* what;
    std::vector<capture::OcrHttpReply> replies;  // after the key test
    const char* text;
  };
  const Case cases[] = {
      {"no answer", {ocrtest::kUnreachable}, "连接识别服务失败，请检查网络！"},
      {"error reply",
       {ocrtest::reply(R"({"error_code":216201,"error_msg":"image format error"})")},
       "识别服务返回错误，请稍后重试！"},
      {"token refused, keys refused",
       {ocrtest::reply(R"({"error_code":110,"error_msg":"Access token invalid"})"),
        ocrtest::kBadSecret},
       "识别令牌已失效，请在设置中重新测试秘钥！"},
      // The refused token is gone, so the next picture is not even sent.
      {"no token", {}, "尚未取得识别令牌，请在设置中测试秘钥！"},
  };
  bool first = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (first) holdToken();
    first = false;
    for (const auto& next : c.replies) service.add(next);
    backend.clearMessages();
    recognize();
    settleRecognition();
    ASSERT_EQ(backend.messages().size(), 1u);
    EXPECT_EQ(cp936::toUtf8(backend.messages()[0].text), c.text);
    EXPECT_EQ(backend.messages()[0].timeoutMs, 2000u);
    EXPECT_EQ(backend.messages()[0].owner, form->handle());
    EXPECT_EQ(form->编辑框1.content(), gbk("长江"));
  }
}

}  // namespace
}  // namespace answertest
