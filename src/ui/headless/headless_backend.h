// The in-memory toolkit backend that the native tests drive. Every control lives in memory; a
// test acts as the user (clicks, selections, typing, mouse, keys, hotkeys), reads any
// property, answers message boxes and file dialogs from a script and reads back what was
// shown, and runs posted work on a virtual clock that only the test moves.
//
// Time: now() starts at 0 and moves only through advance(), processMessages() (which the
// program calls for its short waits) and the modal loop. Work posted from any thread runs the
// next time the loop runs; input scheduled with at() runs when the clock reaches its time.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ui/backend.h"
#include "ui/control.h"
#include "ui/form.h"
#include "ui/headless/headless_peers.h"

namespace ui::headless {

struct ShownMessage {
  std::string text;  // GBK; "?" for what GBK cannot hold
  std::u16string wideText;
  std::string caption;
  unsigned style = 0;
  unsigned timeoutMs = 0;  // 0: a plain message box
  int result = 0;
  FormHandle owner = 0;  // the form the box belonged to; 0: none
};

struct KeyPress {
  int virtualKey = 0;
  bool down = false;
};

struct RegisteredHotkey {
  FormHandle form = 0;
  int id = 0;
  unsigned modifiers = 0;
  int virtualKey = 0;
};

class HeadlessBackend final : public Backend {
 public:
  HeadlessBackend();
  ~HeadlessBackend() override;

  // ---- Acting as the user (UI thread). Events go through the toolkit's rules: a form that
  // is leaving ignores them. ----
  // Takes the focus; a check box toggles, a radio button selects, then the click.
  void click(Control& control);
  void doubleClick(Control& control);
  void select(ComboBox& combo, int index);  // picks an item and reports the selection
  void selectRow(ListView& list, int row);
  void type(EditBox& edit, const std::string& text);  // takes the focus, replaces the content
  void dragSlider(Slider& slider, int position);      // clamped as a native slider does
  void mouseDown(Control& control, Point point, MouseButton button = MouseButton::Left);
  void mouseMove(Control& control, Point point);
  void mouseUp(Control& control, Point point, MouseButton button = MouseButton::Left);
  // A key pressed in the form, where its focus is: Tab, Enter, Space and the arrow keys move
  // the focus and press buttons as a dialog does (control.h); the form hears the others.
  void keyDown(Form& form, int virtualKey, bool shift = false);
  void closeBox(Form& form);
  // The system's hotkey: delivered to the form that registered it. False when none did.
  bool pressHotkey(unsigned modifiers, int virtualKey);
  // Moves the cursor there and calls every installed mouse hook.
  void mouseHookEvent(MouseHookAction action, Point screenPoint);

  // ---- Time and posted work (UI thread) ----
  std::uint64_t now() const { return now_; }
  // Runs `input` when the clock reaches `whenMs` (at once if that has passed, on the next run).
  void at(std::uint64_t whenMs, std::function<void()> input);
  // Runs posted work and due input until none is left; frees destroyed forms.
  void runPending();
  // Moves the clock forward, running what falls due on the way.
  void advance(int milliseconds);
  // Runs pending work until `done` holds, waiting in real time for worker threads to post;
  // false when realTimeoutMs passed first.
  bool runUntil(const std::function<bool()>& done, int realTimeoutMs = 5000);
  std::optional<int> exitCode() const { return exitCode_; }
  // How many modal loops the script left with their form still open (the loop then closed it).
  int abandonedModals() const { return abandonedModals_; }
  // Runs inside a modal loop that has nothing left to do, with the modal form.
  void onModal(std::function<void(Form&)> script) { modalScript_ = std::move(script); }

  // ---- Scripted system (any thread) ----
  // Answers for the next message boxes, in order; without one a box answers mb::kIdOk and a
  // timed box mb::kIdTimedOut.
  void answerMessageBoxes(std::vector<int> answers);
  std::vector<ShownMessage> messages() const;
  void clearMessages();
  // Answers for the next open-file dialogs; without one the dialog is cancelled.
  void answerFileDialogs(std::vector<std::filesystem::path> answers);
  std::vector<OpenFileRequest> fileDialogs() const;
  // Answers for the next save-file dialogs; without one the dialog is cancelled.
  void answerSaveDialogs(std::vector<SaveFileChoice> answers);
  std::vector<SaveFileRequest> saveDialogs() const;
  std::vector<std::string> openedUrls() const;
  // One primary monitor of that size at 0, 0, at 96 DPI.
  void setScreenSize(Size size);
  // The DPI that forms created from now on report (Form::dpi). Their places stay the design's:
  // this backend does not lay them out, so only the program's own scaled lengths change.
  void setFormDpi(int dpi) { formDpi_ = dpi; }
  int formDpi() const { return formDpi_; }
  // Monitors as a test lays them out (positions may be negative); the screen snapshot set for
  // the test then covers their virtual screen.
  void setMonitors(std::vector<Monitor> monitors);
  void setCursorPosition(Point point);
  void setClipboardText(std::optional<std::string> text);  // a new clipboard sequence number
  std::vector<KeyPress> keyPresses() const;
  // Called on each simulated key (on the thread that pressed it), e.g. to play the window
  // that answers Ctrl+C by filling the clipboard.
  void onKeyPressed(std::function<void(const KeyPress&)> reaction);
  // Makes the system refuse this hotkey, as when another program holds it.
  void refuseHotkey(unsigned modifiers, int virtualKey);
  std::vector<RegisteredHotkey> hotkeys() const;
  void refuseMouseHooks(bool refuse);
  int mouseHookCount() const;
  void setScreenSnapshot(std::string bmpBytes);

  // ---- Reading what only the backend knows ----
  static HeadlessControlPeer& peerOf(const Control& control);  // the control must be live
  static HeadlessFormPeer& peerOf(const Form& form);           // the form must be live

  // ---- Backend ----
  std::unique_ptr<FormPeer> createForm(Form& form) override;
  int runMessageLoop() override;
  void quit(int exitCode) override;
  void runModal(Form& form) override;
  void processMessages(int milliseconds) override;
  void post(std::function<void()> work) override;
  int messageBox(Form* owner, const std::string& text, const std::string& caption,
                 unsigned style) override;
  int messageBoxWide(Form* owner, const std::u16string& text, const std::string& caption,
                     unsigned style) override;
  int timedMessageBox(Form* owner, const std::string& text, const std::string& caption,
                      unsigned style, unsigned timeoutMs) override;
  std::filesystem::path chooseOpenFile(const OpenFileRequest& request) override;
  SaveFileChoice chooseSaveFile(const SaveFileRequest& request) override;
  void openUrl(const std::string& url) override;
  Size screenSize() const override;
  std::vector<Monitor> monitors() const override;
  Point cursorPosition() const override;
  std::optional<std::string> clipboardText() override;
  std::uint32_t clipboardSequence() override;
  void pressKey(int virtualKey, bool down) override;
  MouseHookId installMouseHook(std::function<void(const MouseHookEvent&)> hook) override;
  bool removeMouseHook(MouseHookId hook) override;
  std::string screenSnapshotBmp() override;
  // Cut from the screen snapshot set for the test (white without one), which holds the virtual
  // screen from its top-left corner.
  std::vector<std::uint32_t> screenPixels(Rect area) override;
  // Screen areas read so far (tests see whether sampling has stopped). Any thread.
  int screenPixelReads() const;

 private:
  friend class HeadlessFormPeer;
  struct Scheduled {
    std::uint64_t when;
    std::uint64_t order;
    std::function<void()> input;
  };

  // One pass: posted work, then scheduled input due by now. True when anything ran.
  bool runOnce();
  bool runDueInput();
  bool hotkeyRefused(unsigned modifiers, int virtualKey) const;
  void forgetHotkeys(FormHandle form);
  int answer(std::deque<int>& script, int fallback);

  std::uint64_t now_ = 0;
  std::uint64_t scheduleOrder_ = 0;
  std::vector<Scheduled> scheduled_;
  std::optional<int> exitCode_;
  int abandonedModals_ = 0;
  std::function<void(Form&)> modalScript_;
  std::map<MouseHookId, std::function<void(const MouseHookEvent&)>> mouseHooks_;
  MouseHookId nextHook_ = 1;
  bool refuseMouseHooks_ = false;
  int formDpi_ = kDesignDpi;

  mutable std::mutex mutex_;  // guards everything below
  std::deque<std::function<void()>> posted_;
  std::deque<int> messageAnswers_;
  std::vector<ShownMessage> messages_;
  std::deque<std::filesystem::path> fileAnswers_;
  std::vector<OpenFileRequest> fileDialogs_;
  std::deque<SaveFileChoice> saveAnswers_;
  std::vector<SaveFileRequest> saveDialogs_;
  std::vector<std::string> openedUrls_;
  std::vector<Monitor> monitors_{{{0, 0, 1920, 1080}, kDesignDpi, true}};
  Point cursor_;
  std::optional<std::string> clipboard_;
  std::uint32_t clipboardSequence_ = 1;
  std::vector<KeyPress> keyPresses_;
  std::function<void(const KeyPress&)> keyReaction_;
  std::vector<RegisteredHotkey> hotkeys_;
  std::vector<std::pair<unsigned, int>> refusedHotkeys_;
  std::string screenSnapshot_;
  int screenPixelReads_ = 0;
};

}  // namespace ui::headless
