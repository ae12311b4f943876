// ScreenshotForm's controller: the overlay freezes the screen, follows the mouse with a
// magnifier while the user drags out a rectangle with the left button, and hands the cut-out
// on when the button comes up. Esc closes it without a selection.
#pragma once
#include <functional>
#include <string>

#include "app/forms/screenshot_form.h"

namespace app {

// Receives the finished selection as BMP file bytes cut from the frozen screen, or empty bytes
// for a selection without area. Runs on the user-interface thread just before the overlay
// closes; not called when the overlay closes without a selection.
using SelectionFinished = std::function<void(std::string bmp)>;

// Attaches the overlay's handlers to a form about to be created.
void attachScreenshotOverlay(ScreenshotForm& form, SelectionFinished finished);

// Shows the overlay modally; returns once it has closed.
void OpenScreenshotOverlay(SelectionFinished finished);

// Receives an area marked in the overlay, in screen coordinates (zero size for a selection
// without area), just before the overlay closes.
using AreaMarked = std::function<void(ui::Rect area)>;

// The same overlay for marking a screen area instead of cutting a picture out: a drag marks a
// new area; Enter keeps `remembered` when it has one. Not called on Esc.
void attachAreaMarking(ScreenshotForm& form, ui::Rect remembered, AreaMarked marked);

// Shows that overlay modally; returns once it has closed.
void MarkScreenArea(ui::Rect remembered, AreaMarked marked);

}  // namespace app
