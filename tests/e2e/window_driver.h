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
// UTF-8 of a window text, for failure messages and printed figures.
std::string utf8(const std::wstring& text);
SIZE sizeOf(HWND window);
// The first visible child whose text is `text` (and whose class is `className` when given).
HWND childWithText(HWND parent, const std::wstring& text, const std::wstring& className = {});
std::vector<HWND> childrenOfClass(HWND parent, const std::wstring& className);
// The edit boxes among the children, the highest on the screen first.
std::vector<HWND> editsTopToBottom(HWND parent);

// Clicks a button the way the system does for a person (posted, so a box it opens cannot
// hold up the test).
void click(HWND button);

// The text of one section of a status bar; the text lives in the other process, so it is
// copied out through a buffer placed there.
std::wstring statusText(HWND statusBar, int section);
// Replaces an edit box's text, as pasting over it would, and presses Enter in it.
void setText(HWND window, const std::wstring& text);
void pressEnter(HWND window);
// Picks the combo box item with this text and tells the owner, as a pick from the list does;
// false when there is no such item.
bool selectComboItem(HWND combo, const std::wstring& text);
std::vector<std::wstring> comboItems(HWND combo);

// A message box of the process (dialog class #32770), with this caption when one is given.
HWND messageBox(DWORD process, const std::wstring& caption = {});
// The message of a box: the texts of its static controls, one after the other.
std::wstring messageBoxText(HWND box);
// Presses one of the box's buttons (IDOK, IDCANCEL, ...).
void answerMessageBox(HWND box, int buttonId);

// A report-style list (SysListView32) of another process: its rows, its column titles and the
// text of one cell. The texts are copied out through buffers placed in that process.
int listRowCount(HWND list);
std::vector<std::wstring> listColumnTitles(HWND list);
std::wstring listCellText(HWND list, int row, int column);

// The system's open-file dialog of the process (a #32770 box with a file-name control), or
// nullptr while none is shown.
HWND openFileDialog(DWORD process);
// Waits for the open-file dialog, types the full path into its file-name box and presses
// Open; true once the dialog has closed.
bool chooseFileInOpenDialog(DWORD process, const std::wstring& path);
// Waits for the open-file dialog and presses Cancel; true once the dialog has closed.
bool cancelOpenDialog(DWORD process);

// Polls `done` until it holds or timeoutMs has passed; true when it held.
bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000);

// The window as the screen shows it, saved as PNG; false when it could not be saved.
bool saveScreenshot(HWND window, const std::filesystem::path& file);

}  // namespace e2e
