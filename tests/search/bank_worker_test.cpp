// The bank worker: work in the order handed in, a newer search replacing a waiting one.
#include "search/bank_worker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using ::testing::ElementsAre;

TEST(BankWorkerTest, RunsInOrderAndANewerSearchReplacesOneStillWaiting) {
  std::vector<std::string> ran;  // written by the worker only, read after it stopped
  {
    search::BankWorker worker;
    std::promise<void> gate;
    std::shared_future<void> open = gate.get_future().share();
    worker.submit([open] { open.wait(); });  // holds the worker while the queue fills
    worker.submit([&] { ran.push_back("delete"); });
    worker.submitSearch([&] { ran.push_back("search a"); });
    worker.submit([&] { ran.push_back("close"); });
    worker.submitSearch([&] { ran.push_back("search b"); });
    EXPECT_FALSE(worker.idle());
    worker.submitSearch({});  // nothing to run: ignored, replaces nothing
    gate.set_value();
    while (!worker.idle()) std::this_thread::yield();
  }
  EXPECT_THAT(ran, ElementsAre("delete", "close", "search b"));
}

TEST(BankWorkerTest, AtExitOrderedWorkStillRunsAndAWaitingSearchIsDropped) {
  std::vector<std::string> ran;
  std::promise<void> gate;
  std::thread opener;
  {
    search::BankWorker worker;
    std::shared_future<void> open = gate.get_future().share();
    worker.submit([open] { open.wait(); });
    worker.submit([&] { ran.push_back("delete"); });
    worker.submitSearch([&] { ran.push_back("search"); });
    // Released only once the destructor has begun; it drops the search before it waits.
    opener = std::thread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      gate.set_value();
    });
  }
  opener.join();
  EXPECT_THAT(ran, ElementsAre("delete"));
}

TEST(BankWorkerTest, AJobThatThrowsIsReportedAndTheWorkerGoesOn) {
  std::vector<std::string> failures;
  platform::setWorkerFailureHandler([&](const char* what) { failures.emplace_back(what); });
  std::vector<std::string> ran;
  {
    search::BankWorker worker;
    worker.submit([] { throw std::runtime_error("disk gone"); });
    worker.submit([&] { ran.push_back("after"); });
    while (!worker.idle()) std::this_thread::yield();
  }
  platform::setWorkerFailureHandler({});
  EXPECT_THAT(failures, ElementsAre("disk gone"));
  EXPECT_THAT(ran, ElementsAre("after"));
}

TEST(BankWorkerTest, ASearchAlreadyRunningIsNotReplaced) {
  std::vector<std::string> ran;
  {
    search::BankWorker worker;
    std::promise<void> started, gate;
    std::shared_future<void> open = gate.get_future().share();
    worker.submitSearch([&, open] {
      started.set_value();
      open.wait();
      ran.push_back("first");
    });
    started.get_future().wait();
    worker.submitSearch([&] { ran.push_back("second"); });
    gate.set_value();
    while (!worker.idle()) std::this_thread::yield();
  }
  EXPECT_THAT(ran, ElementsAre("first", "second"));
}

}  // namespace
