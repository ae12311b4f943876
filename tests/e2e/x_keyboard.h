// Real key strokes from outside, as a person types them: xdotool, a Linux program that Wine
// starts like any other, sends them through the X server to the window that has the focus.
#pragma once
#include <windows.h>

#include <string>

namespace e2e {

// Runs xdotool with these arguments (any of its commands, the mouse's too) and waits for it;
// false when it could not be run.
bool runXdotool(const std::string& arguments);

// Presses the keys named as xdotool names them ("Tab", "shift+Tab", "Return", "space",
// "Escape", "Down"), one after the other; false when xdotool could not be run.
bool pressKeys(const std::string& keys);
// Types the text (ASCII) key by key.
bool typeText(const std::string& text);

// Gives the X input focus to the program's shown window, as a window manager gives it to a new
// window. Xvfb runs none: until a program's window has had the focus once, keys go to the window
// under the pointer. Later windows of the program get it from the program, as on Windows.
bool focusProgramWindow();

// Whether keys pressed now reach this top-level window of the program: the X server's input focus
// is on it, or follows the pointer and the pointer is over it. Wine makes a window the foreground
// one before the X server has mapped it and moved the focus there.
bool keysReach(HWND window);

}  // namespace e2e
