// The OCR settings form driven as the user would: the stored keys shown and put back, the key
// test's notice and storing rule for every kind of answer, and a form that keeps answering
// while the service takes its time.
#include <gtest/gtest.h>

#include "../../platform/fresh_folder.h"
#include "app/controllers/ocr_settings_controller.h"
#include "capture/ocr_route.h"
#include "capture/ocr_settings.h"
#include "ocr_fake_service.h"
#include "platform/cp936.h"
#include "ui/headless/session.h"

namespace {

using ocrtest::FakeOcrService;

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

class OcrSettingsFormTest : public ::testing::Test {
 protected:
  ~OcrSettingsFormTest() override { ui::uninstall(); }

  app::OcrSettingsForm& open() {
    form = &ui::load<app::OcrSettingsForm>([this](app::OcrSettingsForm& f) { controller.wire(f); });
    return *form;
  }
  // Types the keys, presses 秘 钥 测 试 and waits for the notice.
  ui::headless::ShownMessage keyTest(const std::string& apiKey, const std::string& secretKey) {
    backend.clearMessages();
    backend.type(form->编辑框1, apiKey);
    backend.type(form->编辑框2, secretKey);
    backend.click(form->按钮3);
    EXPECT_TRUE(backend.runUntil([this] { return !backend.messages().empty(); }));
    auto shown = backend.messages();
    return shown.empty() ? ui::headless::ShownMessage{} : shown.back();
  }
  capture::OcrKeys stored() const { return capture::LoadOcrSettings(runDir); }

  std::filesystem::path runDir = freshFolder("ocr-settings-form");
  FakeOcrService service;
  std::shared_ptr<capture::OcrClient> ocr =
      std::make_shared<capture::OcrClient>(service.transport(), runDir, "https://ocr.test");
  app::OcrSettingsController controller{ocr, runDir};
  ui::headless::Session session;
  ui::headless::HeadlessBackend& backend = session.backend();
  app::OcrSettingsForm* form = nullptr;
};

TEST_F(OcrSettingsFormTest, ShowsTheStoredKeysAndPutsThemBackAfterEdits) {
  open();
  EXPECT_EQ(form->编辑框1.content(), "");
  EXPECT_EQ(form->编辑框2.content(), "");
  form->destroy();

  ASSERT_TRUE(capture::StoreOcrKeys(runDir, {gbk("钥匙甲"), "Secret-1"}));
  open();
  EXPECT_EQ(form->编辑框1.content(), gbk("钥匙甲"));
  EXPECT_EQ(form->编辑框2.content(), "Secret-1");
  backend.type(form->编辑框1, "typed");
  backend.type(form->编辑框2, "");
  backend.click(form->按钮2);
  EXPECT_EQ(form->编辑框1.content(), gbk("钥匙甲"));
  EXPECT_EQ(form->编辑框2.content(), "Secret-1");
  EXPECT_TRUE(service.requests().empty()) << "showing keys asks the service nothing";
}

TEST_F(OcrSettingsFormTest, KeyTestSaysWhatTheServiceAnsweredAndStoresOnlyKeysThatWork) {
  struct Case {
    const char* what;
    capture::OcrHttpReply reply;
    const char* text;  // UTF-8
    unsigned timeoutMs;
    bool stored, token;
  };
  const Case cases[] = {
      {"token", ocrtest::kToken, "秘钥正确", 500, true, true},
      {"unknown client", ocrtest::kUnknownClient, "API Key不正确", 500, false, true},
      {"bad secret", ocrtest::kBadSecret, "Secret Key不正确", 500, false, true},
      // The keys of the first test gave a token: an unjudged pair never replaces them.
      {"other refusal", ocrtest::kOtherRefusal,
       "识别服务未确认秘钥，新的设置未保存，仍在使用原来的服务地址和识别令牌！", 2000, false, true},
      {"no answer", ocrtest::kUnreachable,
       "连接识别服务失败，新的设置未保存，仍在使用原来的服务地址和识别令牌！", 2000, false, true},
  };
  open();
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string apiKey = "api-" + std::to_string(++round);
    const capture::OcrKeys before = stored();
    service.add(c.reply);
    const auto shown = keyTest(apiKey, gbk("秘钥"));
    EXPECT_EQ(cp936::toUtf8(shown.text), c.text);
    EXPECT_EQ(cp936::toUtf8(shown.caption), "友情提醒");
    EXPECT_EQ(shown.timeoutMs, c.timeoutMs);
    EXPECT_EQ(shown.owner, form->handle());
    EXPECT_EQ(stored().apiKey, c.stored ? apiKey : before.apiKey);
    // Only a good test replaces the token of the last good test.
    EXPECT_EQ(ocr->hasAccessToken(), c.token);
    EXPECT_TRUE(form->按钮3.enabled());
  }
  // After a refused test, 恢 复 默 认 shows the keys stored before it.
  service.add(ocrtest::kUnknownClient);
  keyTest("wrong", "wrong");
  backend.click(form->按钮2);
  EXPECT_EQ(form->编辑框1.content(), "api-1");
  EXPECT_EQ(form->编辑框2.content(), gbk("秘钥"));
}

TEST_F(OcrSettingsFormTest, WithoutAWorkingTokenTheTypedKeysAreKeptUnjudged) {
  open();
  service.add(ocrtest::kUnreachable);
  const auto shown = keyTest("offline-api", "offline-secret");
  EXPECT_EQ(cp936::toUtf8(shown.text), "连接识别服务失败，秘钥已保存，请检查网络后重试！");
  EXPECT_EQ(stored().apiKey, "offline-api");
  EXPECT_FALSE(ocr->hasAccessToken());
}

TEST_F(OcrSettingsFormTest, TheFormKeepsAnsweringWhileTheServiceTakesItsTime) {
  open();
  service.hold();
  service.add(ocrtest::kToken);
  backend.type(form->编辑框1, "tested-api");
  backend.type(form->编辑框2, "tested-secret");
  backend.click(form->按钮3);
  ASSERT_TRUE(backend.runUntil([this] { return service.requests().size() == 1; }));
  EXPECT_FALSE(form->按钮3.enabled());
  EXPECT_FALSE(form->按钮2.enabled());
  backend.click(form->按钮3);  // no second test
  backend.click(form->按钮1);
  EXPECT_EQ(backend.openedUrls(), std::vector<std::string>{app::kOcrProductPageUrl});
  backend.type(form->编辑框1, "edited-meanwhile");

  service.release();
  ASSERT_TRUE(backend.runUntil([this] { return !backend.messages().empty(); }));
  EXPECT_EQ(cp936::toUtf8(backend.messages().back().text), "秘钥正确");
  EXPECT_TRUE(form->按钮3.enabled());
  EXPECT_TRUE(form->按钮2.enabled());
  EXPECT_EQ(service.requests().size(), 1u);
  EXPECT_EQ(stored().apiKey, "tested-api") << "the keys stored are the keys tested";
  EXPECT_EQ(form->编辑框1.content(), "edited-meanwhile");
}

TEST_F(OcrSettingsFormTest, ClosingTheFormDuringAKeyTestLosesNothing) {
  open();
  service.hold();
  service.add(ocrtest::kToken);
  backend.type(form->编辑框1, "api");
  backend.type(form->编辑框2, "secret");
  backend.click(form->按钮3);
  ASSERT_TRUE(backend.runUntil([this] { return service.requests().size() == 1; }));
  backend.closeBox(*form);
  backend.runPending();
  service.release();
  // The worker lets go of the client once it is done.
  ASSERT_TRUE(backend.runUntil([this] { return ocr.use_count() == 2; }));
  backend.runPending();
  EXPECT_TRUE(ocr->hasAccessToken());
  EXPECT_TRUE(backend.messages().empty()) << "no notice without its form";
  EXPECT_EQ(stored().secretKey, "secret");
}

TEST_F(OcrSettingsFormTest, TheServiceAddressIsStoredByAPassedKeyTestAndRefusedWhenUnsafe) {
  open();
  EXPECT_EQ(form->编辑框3.content(), "");
  backend.type(form->编辑框3, "http://127.0.0.1:8866/");
  service.add(ocrtest::kToken);
  EXPECT_EQ(cp936::toUtf8(keyTest("api", "secret").text), "秘钥正确");
  EXPECT_EQ(capture::LoadOcrServiceAddress(runDir), "http://127.0.0.1:8866");

  // A mistyped address that answers nothing: the one that gave the token stays in use.
  backend.type(form->编辑框3, "http://127.0.0.1:8688");
  service.add(ocrtest::kUnreachable);
  EXPECT_EQ(cp936::toUtf8(keyTest("api", "secret").text),
            "连接识别服务失败，新的设置未保存，仍在使用原来的服务地址和识别令牌！");
  EXPECT_EQ(capture::LoadOcrServiceAddress(runDir), "http://127.0.0.1:8866");
  EXPECT_TRUE(ocr->hasAccessToken());

  // Plain http to another machine: said, nothing sent, nothing stored, the stored one shown
  // again on 恢 复 默 认.
  backend.type(form->编辑框3, "http://192.168.1.5:8866");
  const auto refused = keyTest("other-api", "other-secret");
  EXPECT_EQ(cp936::toUtf8(refused.text), "本机以外的服务地址必须以 https:// 开头，地址未保存！");
  EXPECT_EQ(refused.owner, form->handle());
  EXPECT_EQ(service.requests().size(), 2u);
  EXPECT_EQ(stored().apiKey, "api");
  EXPECT_TRUE(form->按钮3.enabled());
  backend.click(form->按钮2);
  EXPECT_EQ(form->编辑框3.content(), "http://127.0.0.1:8866");
  EXPECT_EQ(form->编辑框1.content(), "api");
}

TEST_F(OcrSettingsFormTest, TheRouteInEffectIsCheckedAndAClickedChoiceIsStoredAtOnce) {
  open();
  EXPECT_TRUE(form->单选框_本地识别.checked()) << "no keys: the program's own engine";
  EXPECT_FALSE(form->单选框_百度识别.checked());
  form->destroy();

  ASSERT_TRUE(capture::StoreOcrKeys(runDir, {"api", "secret"}, "https://ocr.example:8443"));
  open();
  EXPECT_TRUE(form->单选框_识别服务.checked()) << "keys and an address, as before the choice";
  EXPECT_EQ(capture::LoadStoredOcrRoute(runDir), std::nullopt) << "opening stores nothing";

  backend.click(form->单选框_百度识别);
  EXPECT_EQ(capture::LoadStoredOcrRoute(runDir), capture::OcrRoute::kCloud);
  EXPECT_FALSE(form->单选框_识别服务.checked());
  backend.click(form->单选框_本地识别);
  EXPECT_EQ(capture::LoadOcrRoute(runDir), capture::OcrRoute::kLocal);
  EXPECT_EQ(stored().apiKey, "api") << "the keys stay";
  EXPECT_EQ(capture::LoadOcrServiceAddress(runDir), "https://ocr.example:8443");
}

}  // namespace
