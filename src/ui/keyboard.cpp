#include "ui/keyboard.h"

#include <algorithm>
#include <vector>

#include "ui/control.h"
#include "ui/form.h"

namespace ui {
namespace {

bool sameGroup(const Control* a, const Control* b) {
  return a && b && a->kind() == ControlKind::RadioButton && b->kind() == ControlKind::RadioButton &&
         a->definition().group == b->definition().group;
}

// The focus order cut into stops: runs of radio buttons of one group, single controls otherwise.
std::vector<std::vector<Control*>> stopsOf(const Form& form) {
  std::vector<std::vector<Control*>> stops;
  for (Control* control : form.focusOrder()) {
    if (!stops.empty() && sameGroup(stops.back().back(), control)) {
      stops.back().push_back(control);
    } else {
      stops.push_back({control});
    }
  }
  return stops;
}

// The control of a stop that takes the focus, or null when none can.
Control* target(const std::vector<Control*>& stop) {
  if (stop.size() > 1) {
    for (Control* radio : stop) {
      if (radio->reachable() && static_cast<const CheckBox*>(radio)->checked()) return radio;
    }
  }
  auto first = std::find_if(stop.begin(), stop.end(), [](Control* c) { return c->reachable(); });
  return first == stop.end() ? nullptr : *first;
}

bool isButtonKind(const Control* control) {
  if (!control) return false;
  ControlKind kind = control->kind();
  return kind == ControlKind::Button || kind == ControlKind::CheckBox ||
         kind == ControlKind::RadioButton;
}

}  // namespace

Control* nextTabStop(const Form& form, const Control* from, bool backward) {
  auto stops = stopsOf(form);
  const int count = int(stops.size());
  if (count == 0) return nullptr;
  int at = backward ? count : -1;
  for (int i = 0; i < count; ++i) {
    const auto& stop = stops[std::size_t(i)];
    if (std::find(stop.begin(), stop.end(), from) != stop.end()) at = i;
  }
  for (int step = 1; step <= count; ++step) {
    int i = ((at + (backward ? -step : step)) % count + count) % count;
    if (Control* found = target(stops[std::size_t(i)])) return found;
  }
  return nullptr;
}

Control* nextInGroup(Control& radio, bool backward) {
  for (const auto& stop : stopsOf(radio.form())) {
    auto it = std::find(stop.begin(), stop.end(), &radio);
    if (it == stop.end()) continue;
    const int count = int(stop.size());
    const int at = int(it - stop.begin());
    for (int step = 1; step < count; ++step) {
      Control* next = stop[std::size_t(((at + (backward ? -step : step)) % count + count) % count)];
      if (next->reachable()) return next;
    }
    break;
  }
  return &radio;
}

bool isNavigationKey(const Control* focused, int virtualKey) {
  switch (virtualKey) {
    case key::kTab:
      return true;
    case key::kReturn:
      return focused && focused->kind() == ControlKind::Button;
    case key::kSpace:
    case key::kLeft:
    case key::kUp:
    case key::kRight:
    case key::kDown:
      return isButtonKind(focused);
    default:
      return false;
  }
}

}  // namespace ui
