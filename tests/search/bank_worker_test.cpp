// The bank worker: work in the order handed in, a newer search replacing a waiting one.
#include "search/bank_worker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <string>
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
    gate.set_value();
    worker.submitSearch({});  // nothing to run: ignored, replaces nothing
  }                           // the destructor runs what is queued
  EXPECT_THAT(ran, ElementsAre("delete", "close", "search b"));
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
  }
  EXPECT_THAT(ran, ElementsAre("first", "second"));
}

}  // namespace
