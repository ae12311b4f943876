// quorvix-cli ocr --local: a drawn selection read on this machine with no keys stored and no
// service to reach, printed as the cloud route prints it; faults of the models named.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "../../platform/fresh_folder.h"
#include "screen_text.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = -1;
  std::string out;
};

class LocalOcrCliTest : public ::testing::Test {
 protected:
  // Any request would go to a closed port and fail: the local route must need none.
  CliRun cli(const std::string& args, const char* streams = "2>/dev/null") const {
    const std::string command = "QUORVIX_OCR_URL=http://127.0.0.1:9 " QUORVIX_CLI " --dir '" +
                                runDir.string() + "' " + args + " " + streams;
    CliRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      run.out.append(buffer, n);
    run.status = WEXITSTATUS(pclose(pipe));
    return run;
  }

  std::string drawnSelection(const char* utf8) const {
    screentext::Renderer renderer;
    EXPECT_TRUE(renderer.ready()) << "no font at " << screentext::kDefaultFont;
    const screentext::Page page = renderer.render(utf8, 18, 400, screentext::kBlackOnWhite);
    const fs::path file = runDir / "shot.bmp";
    std::ofstream(file, std::ios::binary)
        << screentext::bmpOf(page, {14, 18, page.width - 14, page.height - 18});
    return "'" + file.string() + "'";
  }

  fs::path runDir = freshFolder("recognition-cli");
};

TEST_F(LocalOcrCliTest, ReadsWithoutKeysOrNetworkInBothShapes) {
  const std::string shot = drawnSelection("12．细胞核是遗传信息库");
  CliRun run = cli("ocr " + shot + " --local");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("细胞核是遗传信息库"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.back(), '\n');

  run = cli("ocr " + shot + " --local --json");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.rfind("{\"lines\":[\"", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("\"text\":\""), std::string::npos) << run.out;
  // Without --local the same picture needs keys, and none are stored.
  EXPECT_EQ(cli("ocr " + shot).status, 1);
}

TEST_F(LocalOcrCliTest, NamesWhatIsWrongWithTheModelsOrThePicture) {
  const std::string shot = drawnSelection("细胞核");
  const fs::path missing = runDir / "ocr";
  CliRun run = cli("ocr " + shot + " --local --data '" + missing.string() + "'", "2>&1");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find(missing.string()), std::string::npos) << run.out;

  EXPECT_EQ(cli("ocr " + shot + " --data '" + missing.string() + "'").status, 1);
  std::ofstream(runDir / "not-a-picture.bmp") << "BM but nothing else";
  run = cli("ocr '" + (runDir / "not-a-picture.bmp").string() + "' --local", "2>&1");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("picture"), std::string::npos) << run.out;
}

}  // namespace
