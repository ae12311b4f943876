#include "capture/hotkey_registry.h"

#include <algorithm>
#include <new>

namespace capture {

HotkeyRegistry::HotkeyRegistry(HotkeyTarget& target, std::function<bool()> mayAllocate)
    : target_(target), mayAllocate_(std::move(mayAllocate)) {}

bool HotkeyRegistry::ensureList() {
  if (list_) return true;
  if (!allocationAllowed()) return false;
  try {
    list_ = std::make_unique<HotkeyList>();
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool HotkeyRegistry::makeRoomForOneMore() {
  auto& entries = list_->entries;
  if (entries.size() < entries.capacity()) return true;  // a removal left room
  if (!allocationAllowed()) return false;
  try {
    entries.reserve(entries.size() + 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool HotkeyRegistry::AddHotkey(unsigned modifiers, int virtualKey, std::function<void()> callback,
                               int id) {
  if (id == 0) return false;
  RemoveHotkey(id);  // an id is never registered twice
  if (!target_.registerHotkey(id, modifiers, virtualKey)) return false;
  bool created = !list_;
  if (!ensureList() || !makeRoomForOneMore()) {
    target_.unregisterHotkey(id);
    if (created && list_) dissolve();
    return false;
  }
  list_->entries.push_back({id, std::move(callback)});  // cannot throw: room was made
  return true;
}

void HotkeyRegistry::RemoveHotkey(int id) {
  if (!list_) return;
  auto& entries = list_->entries;
  auto found = std::find_if(entries.begin(), entries.end(),
                            [id](const HotkeyEntry& entry) { return entry.id == id; });
  if (found == entries.end()) return;
  target_.unregisterHotkey(id);
  if (entries.size() == 1) {
    dissolve();
    return;
  }
  entries.erase(found);  // keeps its capacity, as the list is not shrunk
}

void HotkeyRegistry::RemoveAllHotkeys() {
  if (!list_) return;
  for (const HotkeyEntry& entry : list_->entries) target_.unregisterHotkey(entry.id);
  dissolve();
}

void HotkeyRegistry::dissolve() { list_.reset(); }

bool HotkeyRegistry::dispatch(int id) const {
  if (!list_) return false;
  for (const HotkeyEntry& entry : list_->entries) {
    if (entry.id != id) continue;
    // A copy: the callback may open a modal loop in which the list changes.
    auto callback = entry.callback;
    if (callback) callback();
    return true;
  }
  return false;
}

std::vector<int> HotkeyRegistry::ids() const {
  std::vector<int> listedIds;
  if (list_) {
    for (const HotkeyEntry& entry : list_->entries) listedIds.push_back(entry.id);
  }
  return listedIds;
}

}  // namespace capture
