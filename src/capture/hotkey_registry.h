// HotkeyList: the hotkeys of one window and the action each one runs. Registering goes to the
// system through a HotkeyTarget; the window hands every hotkey message it hears to dispatch().
//
// The list is consistent whatever fails: an id is listed exactly when it is registered, and a
// hotkey that cannot be listed is not left registered, since nothing could remove or run it.
#pragma once
#include <functional>
#include <memory>
#include <vector>

namespace capture {

// The window the hotkeys belong to, as the system sees it.
class HotkeyTarget {
 public:
  // False when the system refuses, for example when another program holds the key.
  virtual bool registerHotkey(int id, unsigned modifiers, int virtualKey) = 0;
  virtual void unregisterHotkey(int id) = 0;

 protected:
  ~HotkeyTarget() = default;
};

struct HotkeyEntry {
  int id = 0;
  std::function<void()> callback;
};

class HotkeyRegistry {
 public:
  // `mayAllocate` is asked before each allocation the list makes; false plays one that fails.
  explicit HotkeyRegistry(HotkeyTarget& target, std::function<bool()> mayAllocate = {});

  // Registers the key under `id` (0 is no id) and lists `callback` for it, replacing an earlier
  // registration of the same id. False when the system refuses the key or the list cannot
  // grow; nothing is registered then.
  bool AddHotkey(unsigned modifiers, int virtualKey, std::function<void()> callback, int id);
  // Unregisters and unlists `id`; the list is dissolved with its last entry.
  void RemoveHotkey(int id);
  void RemoveAllHotkeys();
  // A hotkey message for `id`: runs the first listed entry's callback and returns true, or
  // returns false when the id is not listed (the window then handles the message as before).
  bool dispatch(int id) const;

  // The list exists (the window's hotkey messages come here) from the first hotkey added to
  // the last one removed.
  bool listed() const { return list_ != nullptr; }
  int count() const { return list_ ? int(list_->entries.size()) : 0; }
  std::vector<int> ids() const;

 private:
  struct HotkeyList {
    std::vector<HotkeyEntry> entries;  // in order of addition
  };
  bool allocationAllowed() const { return !mayAllocate_ || mayAllocate_(); }
  bool ensureList();
  bool makeRoomForOneMore();
  void dissolve();

  HotkeyTarget& target_;
  std::function<bool()> mayAllocate_;
  std::unique_ptr<HotkeyList> list_;
};

}  // namespace capture
