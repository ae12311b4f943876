// System services through the installed backend: message boxes, the open- and save-file dialogs,
// web pages, screen, cursor, clipboard, simulated keys, the global mouse hook and screen snapshots.
// Texts are program text (GBK). Services marked "any thread" may be called from workers; once
// the toolkit is uninstalled they answer empty values and do nothing.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/backend.h"
#include "ui/types.h"

namespace ui {

// The caption of a message box that names none: "信息：".
const std::string& defaultMessageCaption();

// Returns mb::kId.... Any thread. The box belongs to the form whose event asked for it: that
// form waits while the box is up and is active again, with its focus, once the box closes.
// Asked for from a worker (or outside every event), it belongs to the program's active form.
int messageBox(const std::string& text, unsigned style = mb::kOk);
int messageBox(const std::string& text, const std::string& caption, unsigned style);
// A wide text, for texts that name files: their names may hold what GBK cannot.
int messageBoxWide(const std::u16string& text, unsigned style = mb::kOk);

// Closes itself after timeoutMs and then returns mb::kIdTimedOut. Any thread; owned as above.
int timedMessageBox(const std::string& text, const std::string& caption, unsigned style,
                    unsigned timeoutMs);

std::filesystem::path chooseOpenFile(const OpenFileRequest& request);
SaveFileChoice chooseSaveFile(const SaveFileRequest& request);
void openUrl(const std::string& url);

Size screenSize();                           // the primary monitor's; any thread
std::vector<Monitor> monitors();             // any thread
// The rectangle of every monitor together, in screen coordinates. Any thread.
Rect virtualScreen();
// The monitor under the point, else the nearest one. Any thread.
Monitor monitorAt(Point point);
Point cursorPosition();                      // any thread
std::optional<std::string> clipboardText();  // any thread
// Changes whenever the clipboard's contents change (0 without a toolkit); any thread.
std::uint32_t clipboardSequence();
void pressKey(int virtualKey, bool down);  // any thread

MouseHookId installMouseHook(std::function<void(const MouseHookEvent&)> hook);
bool removeMouseHook(MouseHookId hook);

// The virtual screen as it shows now (Backend::screenSnapshotBmp).
std::string screenSnapshotBmp();
// The pixels of a screen area now (Backend::screenPixels). Any thread.
std::vector<std::uint32_t> screenPixels(Rect area);

}  // namespace ui
