#include "ui/form.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "ui/backend.h"
#include "ui/control.h"
#include "ui/keyboard.h"
#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace ui {
namespace {

FormHandle nextHandle() {
  static std::atomic<FormHandle> counter{0};
  return ++counter;
}

}  // namespace

Form::Form(const FormDef& definition) : definition_(definition), handle_(nextHandle()) {}

Form::~Form() = default;

void Form::addControl(Control& control) { controls_.push_back(&control); }

void Form::create() {
  // Every row of the table must have exactly one member, or the layout and the class differ.
  for (const ControlDef& row : definition_.controls) {
    int bound = 0;
    for (Control* c : controls_) bound += (&c->definition() == &row);
    if (bound != 1) {
      detail::fatal(std::string(definition_.name) + ": control " + std::string(row.name) +
                    " is bound " + std::to_string(bound) + " times");
    }
  }
  resolveFocusOrder();
  peer_ = backend().createForm(*this);
  state_ = State::Alive;
  for (Control* control : controls_) {
    if (control->kind() != ControlKind::FileDialog) control->attach(peer_->createControl(*control));
  }
  peer_->setFocusOrder(focusOrder_);
  peer_->setCaption(detail::programText(definition_.caption));
  if (definition_.topmost) peer_->setTopmost(true);
  if (definition_.titleKeptActive) peer_->setTitleKeptActive(true);
  dispatch(onCreated, /*evenWhenLeaving=*/true);
  if (!alive()) return;
  // The natural first control takes the focus, unless the form's start chose another.
  if (!focusedControl()) {
    if (Control* first = nextTabStop(*this, nullptr, /*backward=*/false)) first->focus();
  }
  peer_->setVisible(true);
}

void Form::resolveFocusOrder() {
  focusOrder_.clear();
  for (std::string_view name : definition_.focusOrder) {
    auto found = std::find_if(controls_.begin(), controls_.end(),
                              [&](const Control* c) { return c->name() == name; });
    if (found == controls_.end() || (*found)->kind() == ControlKind::FileDialog) {
      detail::fatal(std::string(definition_.name) + ": the focus order names " + std::string(name) +
                    ", which takes no focus");
    }
    focusOrder_.push_back(*found);
  }
}

Control* Form::focusedControl() const {
  assertUiThread("Form::focusedControl");
  return peer_ && state_ == State::Alive ? peer_->focusedControl() : nullptr;
}

void Form::giveFocus(Control* control) {
  if (!peer_ || state_ != State::Alive) return;
  parkedFocus_ = nullptr;
  peer_->setFocusedControl(control);
}

void Form::parkFocus(Control& control) {
  if (!control.hasFocus()) return;
  peer_->setFocusedControl(nullptr);
  parkedFocus_ = &control;
}

void Form::returnParkedFocus(Control& control) {
  if (parkedFocus_ != &control || !peer_) return;
  if (!control.reachable()) return;  // back in reach only when both shown and enabled
  parkedFocus_ = nullptr;
  if (!peer_->focusedControl()) peer_->setFocusedControl(&control);
}

void Form::dispatch(const std::function<void()>& fn, bool evenWhenLeaving) {
  assertUiThread("Form::dispatch");
  if (state_ != State::Alive || (leaving_ && !evenWhenLeaving) || !fn) return;
  ++dispatchDepth_;
  detail::enterNesting();
  detail::enterEvent(*this);
  fn();
  detail::leaveEvent();
  detail::leaveNesting();
  --dispatchDepth_;
  if (dispatchDepth_ == 0 && destroyRequested_) finishDestroy();
}

void Form::destroy() {
  assertUiThread("Form::destroy");
  if (state_ != State::Alive) return;
  if (dispatchDepth_ > 0) {
    destroyRequested_ = true;
    return;
  }
  finishDestroy();
}

void Form::finishDestroy() {
  state_ = State::Destroying;
  destroyRequested_ = false;
  if (auto handler = onDestroying) {
    ++dispatchDepth_;
    detail::enterNesting();
    handler();
    detail::leaveNesting();
    --dispatchDepth_;
  }
  for (Control* control : controls_) control->detach();
  peer_.reset();
  state_ = State::Dead;
  detail::formDestroyed(*this);
}

void Form::deliverClose() {
  dispatch([this] {
    if (auto asked = onCloseAsked; asked && !asked()) return;
    destroy();
  });
}

void Form::deliverKeyDown(int virtualKey, Control* target) {
  dispatch([this, virtualKey, target] {
    Control* outer = keyTarget_;
    keyTarget_ = target ? target : focusedControl();
    if (auto handler = onKeyDown) handler(virtualKey);
    keyTarget_ = outer;
    if (virtualKey == key::kEscape && definition_.escapeCloses) destroy();
  });
}

void Form::deliverHotkey(int id) {
  dispatch([this, id] {
    if (auto handler = onHotkey) handler(id);
  });
}

// Window properties: a form without a window answers with empty values.

std::string Form::caption() const {
  assertUiThread("Form::caption");
  return peer_ ? peer_->caption() : std::string();
}

void Form::setCaption(const std::string& caption) {
  assertUiThread("Form::setCaption");
  if (peer_) peer_->setCaption(caption);
}

Rect Form::bounds() const {
  assertUiThread("Form::bounds");
  return peer_ ? peer_->bounds() : Rect{};
}

void Form::setBounds(Rect bounds) {
  assertUiThread("Form::setBounds");
  if (peer_) peer_->setBounds(bounds);
}

int Form::dpi() const { return peer_ ? peer_->dpi() : kDesignDpi; }

int Form::scaled(int designLength) const { return scaleForDpi(designLength, dpi()); }

Rect Form::scaled(Rect design) const {
  return {scaled(design.left), scaled(design.top), scaled(design.width), scaled(design.height)};
}

void Form::move(int left, int top) {
  Rect r = bounds();
  setBounds({left, top, r.width, r.height});
}

bool Form::visible() const {
  assertUiThread("Form::visible");
  return peer_ && peer_->visible();
}

void Form::setVisible(bool visible) {
  assertUiThread("Form::setVisible");
  if (peer_) peer_->setVisible(visible);
}

bool Form::topmost() const {
  assertUiThread("Form::topmost");
  return peer_ && peer_->topmost();
}

void Form::setTopmost(bool topmost) {
  assertUiThread("Form::setTopmost");
  if (peer_) peer_->setTopmost(topmost);
}

bool Form::titleKeptActive() const {
  assertUiThread("Form::titleKeptActive");
  return peer_ && peer_->titleKeptActive();
}

void Form::setTitleKeptActive(bool kept) {
  assertUiThread("Form::setTitleKeptActive");
  if (peer_) peer_->setTitleKeptActive(kept);
}

int Form::alpha() const {
  assertUiThread("Form::alpha");
  return peer_ ? peer_->alpha() : -1;
}

void Form::setAlpha(int alpha) {
  assertUiThread("Form::setAlpha");
  if (peer_) peer_->setAlpha(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
}

bool Form::registerHotkey(int id, unsigned modifiers, int virtualKey) {
  assertUiThread("Form::registerHotkey");
  return peer_ && peer_->registerHotkey(id, modifiers, virtualKey);
}

void Form::unregisterHotkey(int id) {
  assertUiThread("Form::unregisterHotkey");
  if (peer_) peer_->unregisterHotkey(id);
}

void FormLifecycle::create(Form& form) { form.create(); }

void FormLifecycle::forceDestroy(Form& form) {
  if (form.state_ == Form::State::Alive) {
    form.dispatchDepth_ = 0;
    form.finishDestroy();
  } else {
    form.state_ = Form::State::Dead;
    detail::formDestroyed(form);
  }
}

}  // namespace ui
