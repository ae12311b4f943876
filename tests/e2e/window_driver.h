// Working another process's windows from outside, as a person does: find them by title, read
// their controls' texts, click buttons, wait for the next window, keep a picture of the screen.
#pragma once
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Visible top-level windows of the process, in Z order; with a title, only those carrying it.
std::vector<HWND> topLevelWindows(DWORD process, const std::wstring& title = {});
// Every window of the process, visible or not.
std::vector<HWND> allWindowsOf(DWORD process);

std::wstring textOf(HWND window);  // WM_GETTEXT, which crosses processes
SIZE sizeOf(HWND window);
// The first visible child whose text is `text` (and whose class is `className` when given).
HWND childWithText(HWND parent, const std::wstring& text, const std::wstring& className = {});
std::vector<HWND> childrenOfClass(HWND parent, const std::wstring& className);

// Clicks a button the way the system does for a person (posted, so a box it opens cannot
// hold up the test).
void click(HWND button);

// Polls `done` until it holds or timeoutMs has passed; true when it held.
bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000);

// The window as the screen shows it, saved as PNG; false when it could not be saved.
bool saveScreenshot(HWND window, const std::filesystem::path& file);

}  // namespace e2e
