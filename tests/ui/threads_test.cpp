// Work handed back from worker threads, and the UI-thread rule.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "test_form.h"
#include "ui/headless/session.h"
#include "ui/system.h"

namespace {

using uitest::TestForm;

class Threads : public ::testing::Test {
 protected:
  ~Threads() override { ui::setThreadViolationHandler({}); }
  ui::headless::Session session;
  ui::headless::HeadlessBackend& backend = session.backend();
};

TEST_F(Threads, PostedWorkRunsOnTheUiThreadInTheOrderPosted) {
  auto& form = ui::load<TestForm>();
  const ui::FormHandle target = form.handle();
  std::vector<std::string> seen;
  std::atomic<bool> allOnUiThread{true};
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) {
      ui::post(target, [&, i] {
        allOnUiThread = allOnUiThread && ui::isUiThread();
        seen.push_back(std::to_string(i));
        form.编辑框1.setContent(std::to_string(i));
      });
    }
  });
  worker.join();
  EXPECT_TRUE(seen.empty());  // nothing runs until the loop does
  backend.runPending();
  EXPECT_EQ(seen, (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_TRUE(allOnUiThread);
  EXPECT_EQ(form.编辑框1.content(), "2");
}

TEST_F(Threads, WorkPostedToAFormThatIsGoneIsDropped) {
  auto& form = ui::load<TestForm>();
  ui::load<uitest::OtherForm>();  // keeps the program alive
  const ui::FormHandle target = form.handle();
  int ran = 0;
  std::thread worker([&] { ui::post(target, [&] { ++ran; }); });
  worker.join();
  backend.closeBox(form);
  backend.runPending();
  EXPECT_EQ(ran, 0);
}

TEST_F(Threads, AWorkerSeesItsResultThroughTheRealClock) {
  auto& form = ui::load<TestForm>();
  const ui::FormHandle target = form.handle();
  std::thread worker([target] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ui::post(target, [target] {
      if (auto* f = dynamic_cast<TestForm*>(ui::findForm(target))) f->编辑框1.setContent("done");
    });
  });
  EXPECT_TRUE(backend.runUntil([&] { return form.编辑框1.content() == "done"; }));
  worker.join();
}

TEST_F(Threads, WorkLeftInTheBackendAtUninstallNeverReachesAToolkitThatIsGone) {
  auto& form = ui::load<TestForm>();
  const ui::FormHandle target = form.handle();
  std::vector<std::string> violations;
  ui::setThreadViolationHandler([&](const char* what) { violations.emplace_back(what); });
  int ran = 0;
  std::thread worker([&] { ui::post(target, [&] { ++ran; }); });
  worker.join();
  ui::uninstall();
  // The program's backend outlives the toolkit and may still run what it holds.
  backend.processMessages(0);
  ui::post(target, [&] { ++ran; });
  backend.processMessages(0);
  EXPECT_EQ(ran, 0);
  EXPECT_TRUE(violations.empty());
}

TEST_F(Threads, AResultPassesOnlyWhileItsOwnersGateIsOpen) {
  auto& form = ui::load<TestForm>();
  const ui::FormHandle target = form.handle();
  platform::Gate gate;
  std::vector<std::string> seen;
  std::thread before([&] { ui::post(gate, target, [&] { seen.push_back("open"); }); });
  before.join();
  gate.close();
  std::thread after([&] { ui::post(gate, target, [&] { seen.push_back("closed"); }); });
  after.join();
  backend.runPending();
  EXPECT_EQ(seen, (std::vector<std::string>{"open"}));
}

TEST_F(Threads, ControlsUsedOffTheUiThreadAreReported) {
  auto& form = ui::load<TestForm>();
  std::vector<std::string> violations;
  ui::setThreadViolationHandler([&](const char* what) { violations.emplace_back(what); });
  std::thread worker([&] {
    form.按钮1.setCaption("x");
    (void)ui::liveFormCount();
    // Services meant for workers are not reported.
    (void)ui::screenSize();
    (void)ui::clipboardText();
    ui::pressKey(ui::key::kControl, true);
    ui::messageBox("from a worker");
  });
  worker.join();
  EXPECT_EQ(violations.size(), 2u);
  EXPECT_EQ(backend.messages().size(), 1u);
}

TEST_F(Threads, ByDefaultAViolationEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto& form = ui::load<TestForm>();
  EXPECT_DEATH(
      {
        std::thread worker([&] { form.按钮1.setCaption("x"); });
        worker.join();
      },
      "called off the UI thread");
}

}  // namespace
