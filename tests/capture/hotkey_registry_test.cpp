// The hotkey list against a system that holds keys as Windows does: one registration per id
// and window, and none of a key another program holds. Whatever happens, what is listed is
// exactly what is registered.
#include "capture/hotkey_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct FakeSystem final : capture::HotkeyTarget {
  bool registerHotkey(int id, unsigned, int virtualKey) override {
    if (registered.count(id) || virtualKey == heldElsewhere) return false;
    registered[id] = virtualKey;
    return true;
  }
  void unregisterHotkey(int id) override {
    registered.erase(id);
    unregistered.push_back(id);
  }
  std::map<int, int> registered;  // id -> key
  std::vector<int> unregistered;
  int heldElsewhere = 0;
};

class HotkeyRegistryTest : public ::testing::Test {
 protected:
  std::function<void()> note(std::string name) {
    return [this, name] { fired.push_back(name); };
  }
  std::vector<int> registeredIds() const {
    std::vector<int> ids;
    for (const auto& [id, key] : system.registered) ids.push_back(id);
    return ids;
  }

  FakeSystem system;
  bool allocationsFail = false;
  capture::HotkeyRegistry registry{system, [this] { return !allocationsFail; }};
  std::vector<std::string> fired;
};

TEST_F(HotkeyRegistryTest, TheSameIdTwiceIsRegisteredOnceAndRunsTheNewerAction) {
  EXPECT_FALSE(registry.AddHotkey(0, 'Q', note("zero"), 0));
  EXPECT_TRUE(registry.AddHotkey(0, 0x73, note("first"), 1));
  EXPECT_TRUE(registry.AddHotkey(0, 0x73, note("second"), 1));
  EXPECT_EQ(registry.ids(), std::vector<int>{1});
  EXPECT_EQ(registeredIds(), std::vector<int>{1});
  EXPECT_TRUE(registry.dispatch(1));
  EXPECT_FALSE(registry.dispatch(2));
  EXPECT_EQ(fired, std::vector<std::string>{"second"});

  system.heldElsewhere = 'B';
  EXPECT_FALSE(registry.AddHotkey(1, 'B', note("b"), 3));
  EXPECT_EQ(registry.ids(), std::vector<int>{1});
}

TEST_F(HotkeyRegistryTest, RemovingFromTheMiddleKeepsTheOrderAndTheLastRemovalDissolves) {
  for (int id : {1, 2, 3}) registry.AddHotkey(0, 'A' + id, note(std::to_string(id)), id);
  registry.RemoveHotkey(2);
  registry.RemoveHotkey(7);  // not listed: nothing happens
  EXPECT_EQ(registry.ids(), (std::vector<int>{1, 3}));
  EXPECT_EQ(registeredIds(), (std::vector<int>{1, 3}));
  EXPECT_FALSE(registry.dispatch(2));
  EXPECT_TRUE(registry.dispatch(3));

  registry.RemoveHotkey(1);
  registry.RemoveHotkey(3);
  EXPECT_FALSE(registry.listed());
  EXPECT_TRUE(system.registered.empty());
  EXPECT_FALSE(registry.dispatch(3));
}

TEST_F(HotkeyRegistryTest, RemoveAllUnregistersInOrderAndAnActionMayEmptyTheList) {
  registry.AddHotkey(
      0, 'X', [this] { registry.RemoveAllHotkeys(); }, 5);
  registry.AddHotkey(0, 'Y', note("y"), 6);
  EXPECT_TRUE(registry.dispatch(5));
  EXPECT_FALSE(registry.listed());
  EXPECT_EQ(system.unregistered, (std::vector<int>{5, 6}));
  registry.RemoveAllHotkeys();  // nothing left: nothing happens
  EXPECT_EQ(system.unregistered.size(), 2u);
}

TEST_F(HotkeyRegistryTest, AFailedAllocationLeavesNoKeyRegisteredThatIsNotListed) {
  allocationsFail = true;
  EXPECT_FALSE(registry.AddHotkey(0, 0x73, note("f4"), 1));  // the list itself
  EXPECT_FALSE(registry.listed());
  EXPECT_TRUE(system.registered.empty());

  allocationsFail = false;
  ASSERT_TRUE(registry.AddHotkey(0, 0x73, note("f4"), 1));
  ASSERT_TRUE(registry.AddHotkey(1, 'A', note("alt+a"), 2));
  allocationsFail = true;
  EXPECT_FALSE(registry.AddHotkey(2, 'S', note("ctrl+s"), 3));  // a longer entry array
  EXPECT_EQ(registry.ids(), (std::vector<int>{1, 2}));
  EXPECT_EQ(registeredIds(), (std::vector<int>{1, 2}));
  EXPECT_TRUE(registry.dispatch(2));

  // Replacing an entry reuses the room its removal left.
  EXPECT_TRUE(registry.AddHotkey(1, 'A', note("alt+a again"), 2));
  EXPECT_EQ(registry.ids(), (std::vector<int>{1, 2}));
}

}  // namespace
