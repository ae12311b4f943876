// The copy worker: a newer job replaces the one still waiting, and a job that fails leaves the
// worker working.
#include "capture/copy_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

void waitIdle(const capture::CopyWorker& worker) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!worker.idle() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(worker.idle());
}

TEST(CopyWorker, ANewerJobReplacesTheWaitingOneAndAFailedJobStopsNothing) {
  capture::CopyWorker worker;
  std::vector<int> ran;  // written by the worker's one thread only
  std::promise<void> started, release;
  std::shared_future<void> released = release.get_future().share();
  worker.submit([&] {
    started.set_value();
    released.wait();
    ran.push_back(1);
  });
  started.get_future().wait();
  for (int n = 2; n <= 5; ++n) worker.submit([&ran, n] { ran.push_back(n); });
  release.set_value();
  waitIdle(worker);
  EXPECT_EQ(ran, (std::vector<int>{1, 5}));

  worker.submit([] { throw std::runtime_error("clipboard gone"); });
  waitIdle(worker);
  worker.submit([&] { ran.push_back(6); });
  waitIdle(worker);
  EXPECT_EQ(ran.back(), 6);
}

}  // namespace
