// quorvix-cli ocr-keys and ocr against the stand-in of the OCR service, run as a user runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "../platform/bmp_image.h"
#include "../platform/fresh_folder.h"
#include "capture/ocr_settings.h"
#include "ocr_standin.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = -1;
  std::string out;
};

class OcrCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = testsupport::TestServer::current();
    if (!server) GTEST_SKIP() << "run under tests/support/http_test_server.py";
    scenario.tag = testsupport::uniqueTag("cli");
  }

  // With `listener` empty the service address comes from the settings file, as for a user.
  CliRun cli(const std::string& args, std::string_view listener = "https") const {
    const std::string setting =
        listener.empty() ? "env -u QUORVIX_OCR_URL"
                         : "QUORVIX_OCR_URL='" + scenario.baseUrl(*server, listener) + "'";
    const std::string command =
        setting + " " QUORVIX_CLI " --dir '" + runDir.string() + "' " + args + " 2>&1";
    CliRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      run.out.append(buffer, n);
    run.status = WEXITSTATUS(pclose(pipe));
    return run;
  }
  std::string picture(int width, int height) const {
    auto file = runDir / "shot.bmp";
    std::ofstream(file, std::ios::binary)
        << bmp::write({width, height, std::vector<bmp::Pixel>(std::size_t(width * height))});
    return "'" + file.string() + "'";
  }

  const testsupport::TestServer* server = nullptr;
  testsupport::OcrScenario scenario;
  fs::path runDir = freshFolder("ocr-cli");
};

TEST_F(OcrCliTest, OcrKeysGivesTheProgramsVerdictAndStoresAsItDoes) {
  CliRun run = cli("ocr-keys wrong-api secret-key");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "API Key不正确\n");
  EXPECT_FALSE(fs::exists(capture::settingsFilePath(runDir)));

  run = cli("ocr-keys api-key secret-key");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "秘钥正确\n");
  EXPECT_EQ(capture::LoadOcrSettings(runDir).apiKey, "api-key");

  run = cli("ocr-keys other-api other-secret", "refused");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "连接识别服务失败，秘钥已保存，请检查网络后重试！\n");
  EXPECT_EQ(capture::LoadOcrSettings(runDir).apiKey, "other-api");
}

TEST_F(OcrCliTest, OcrPrintsTheRecognisedTextAndNeverAKeyOrToken) {
  // A NUL the service puts into a word is text like any other, not its end.
  scenario.lines = {"首都", "a\tb", std::string("c\0d", 3)};
  scenario.width = 5;
  scenario.height = 3;
  ASSERT_EQ(cli("ocr-keys api-key secret-key").status, 0);
  const std::string image = picture(5, 3);

  CliRun run = cli("ocr " + image);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "首都a\\tbc\\0d\n");
  run = cli("ocr " + image + " --json");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "{\"lines\":[\"首都\",\"a\\tb\",\"c\\u0000d\"],\"text\":\"首都a\\tbc\\u0000d\"}\n");
  for (const char* secret : {"api-key", "secret-key", "standin"})
    EXPECT_EQ(run.out.find(secret), std::string::npos) << secret;
}

TEST_F(OcrCliTest, OcrSaysWhyItRecognisedNothing) {
  const std::string image = picture(2, 2);
  CliRun run = cli("ocr " + image);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("no OCR keys stored"), std::string::npos) << run.out;

  ASSERT_EQ(cli("ocr-keys api-key secret-key").status, 0);
  run = cli("ocr '" + (runDir / "missing.bmp").string() + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("cannot read"), std::string::npos) << run.out;

  scenario.drop = "recognition";
  run = cli("ocr " + image);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "quorvix-cli ocr: 连接识别服务失败，请检查网络！\n");

  capture::StoreOcrKeys(runDir, {"api-key", "wrong-secret"});
  scenario.drop.clear();
  run = cli("ocr " + image);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "quorvix-cli ocr: Secret Key不正确\n");
}

TEST_F(OcrCliTest, OcrKeysWithAServiceAddressStoresItAndOcrUsesIt) {
  CliRun run = cli("ocr-keys api-key secret-key --service http://10.1.2.3:8866", "");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "本机以外的服务地址必须以 https:// 开头，地址未保存！\n");
  EXPECT_FALSE(fs::exists(capture::settingsFilePath(runDir)));

  scenario.lines = {"abc"};
  scenario.width = 2;
  scenario.height = 2;
  const std::string address = scenario.baseUrl(*server);
  run = cli("ocr-keys api-key secret-key --service '" + address + "'", "");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(capture::LoadOcrServiceAddress(runDir), address);

  run = cli("ocr " + picture(2, 2), "");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "abc\n");
}

}  // namespace
