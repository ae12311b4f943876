// The copy worker runs one job at a time; a newer job replaces one still waiting, and a job
// that fails leaves the worker working.
#include "capture/copy_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
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

TEST(CopyWorker, ANewerJobReplacesTheWaitingOneAndJobsNeverOverlap) {
  capture::CopyWorker worker;
  std::mutex lock;
  std::vector<int> ran;
  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> firstStarted;
  auto job = [&](int n) {
    return [&, n] {
      if (++inside > 1) overlapped = true;
      if (n == 1) {
        firstStarted.set_value();
        released.wait();
      }
      {
        std::lock_guard guard(lock);
        ran.push_back(n);
      }
      --inside;
    };
  };
  worker.submit(job(1));
  firstStarted.get_future().wait();
  for (int n = 2; n <= 5; ++n) worker.submit(job(n));
  release.set_value();
  waitIdle(worker);
  EXPECT_EQ(ran, (std::vector<int>{1, 5}));
  EXPECT_FALSE(overlapped);

  worker.submit([] { throw std::runtime_error("clipboard gone"); });
  waitIdle(worker);
  worker.submit(job(6));
  waitIdle(worker);
  EXPECT_EQ(ran.back(), 6);
}

}  // namespace
