// What a conformance test needs of a backend: the backend installed for the test's lifetime,
// and a user who acts on its controls the way that backend's user does (a headless script, or
// the messages a person's clicks send to real windows).
#pragma once
#include <functional>
#include <memory>

#include "ui/toolkit.h"

namespace conformance {

class Harness {
 public:
  virtual ~Harness() = default;

  virtual void click(ui::Control& control) = 0;
  virtual void select(ui::ComboBox& combo, int index) = 0;
  virtual void selectRow(ui::ListView& list, int row) = 0;
  virtual void dragSlider(ui::Slider& slider, int position) = 0;
  virtual void closeBox(ui::Form& form) = 0;
  // Delivered when the backend's loop next runs.
  virtual void keyDown(ui::Form& form, int virtualKey) = 0;
  // A key pressed on the keyboard (with Shift held when asked) while the form is active, where
  // its focus is; returns once the form has taken it.
  virtual void pressKey(ui::Form& form, int virtualKey, bool shift = false) = 0;
  // Runs pending messages and posted work until `done` holds; false after a generous time-out.
  virtual bool runUntil(const std::function<bool()>& done) = 0;
};

// Installs the backend this test binary was built for.
std::unique_ptr<Harness> makeHarness();

}  // namespace conformance
