// Moving the keyboard focus the way a dialog does, from a form's focus order. The headless
// backend navigates with these; the Win32 backend leaves it to the system's dialog manager,
// which follows the same order (win32_form_peer.cpp arranges the windows for it).
#pragma once

namespace ui {

class Control;
class Form;

// Where Tab (or Shift+Tab) takes the focus from `from`: the next control of the focus order that
// a user can reach, wrapping round. Neighbouring radio buttons of one group are one stop, at the
// checked one (else the first reachable). `from` outside the order starts before the first (or
// after the last). Null when nothing in the order can take the focus.
Control* nextTabStop(const Form& form, const Control* from, bool backward);

// Where an arrow key takes the focus from a radio button: the next reachable button of its stop
// in the focus order, wrapping round; the button itself when it stands alone.
Control* nextInGroup(Control& radio, bool backward);

// The keys the navigation takes while `focused` has the focus, so that the form's onKeyDown
// does not hear them: Tab always; Enter on a button; Space and the arrow keys on a button, a
// check box or a radio button.
bool isNavigationKey(const Control* focused, int virtualKey);

}  // namespace ui
