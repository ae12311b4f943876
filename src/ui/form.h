// The base of every form class. A form class names its definition table and declares its controls
// as members; ui::load and ui::loadModal (toolkit.h) create its window.
//
//   class DisclaimerForm : public ui::Form {
//    public:
//     DisclaimerForm() : ui::Form(kDisclaimerDef) {}
//     ui::Button 按钮_同意{*this, "按钮_同意"};
//   };
//
// Life of a form: constructed -> loaded (window and controls created hidden, caption and start
// states applied, onCreated run, shown) -> destroyed (onDestroying run, window gone) -> freed
// by the toolkit when the outermost message loop next runs, so references held by the handler
// that destroyed it stay valid until that handler and its callers have returned.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/form_definition.h"
#include "ui/types.h"

namespace ui {

class Control;
class FormPeer;

class Form {
 public:
  explicit Form(const FormDef& definition);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const FormDef& definition() const { return definition_; }
  FormHandle handle() const { return handle_; }
  bool alive() const { return state_ == State::Alive; }

  std::string caption() const;
  void setCaption(const std::string& caption);
  Rect bounds() const;
  void setBounds(Rect bounds);
  void move(int left, int top);  // keeps the size
  bool visible() const;
  void setVisible(bool visible);
  bool topmost() const;
  void setTopmost(bool topmost);
  bool titleKeptActive() const;
  void setTitleKeptActive(bool kept);
  int alpha() const;  // -1 while not layered
  void setAlpha(int alpha);
  bool registerHotkey(int id, unsigned modifiers, int virtualKey);
  void unregisterHotkey(int id);

  // The control with the keyboard focus (see Control::focus), or null.
  Control* focusedControl() const;
  // The definition's focus order, resolved to the controls (empty before the form is loaded).
  const std::vector<Control*>& focusOrder() const { return focusOrder_; }

  // Destroys the form. Asked for while one of the form's own events is being handled, it
  // happens as soon as that handler has returned, never inside it.
  void destroy();
  // The form is moving on to another one: from now on it ignores every event, so a second
  // click cannot start the move twice.
  void beginLeaving() { leaving_ = true; }
  bool leaving() const { return leaving_; }
  // Leaving, destroyed, or to be destroyed once the event being handled returns: long work on
  // its behalf can stop.
  bool ending() const { return leaving_ || destroyRequested_ || state_ != State::Alive; }

  std::function<void()> onCreated;
  std::function<void()> onDestroying;
  // The close box asks this first; false keeps the form open.
  std::function<bool()> onCloseAsked;
  // A key pressed while the form or one of its controls has the focus, except the keys the
  // keyboard navigation takes (control.h). Esc then closes a form whose definition says so.
  std::function<void(int virtualKey)> onKeyDown;
  // While onKeyDown runs: the control the key went to (the focus, when typed); else null.
  Control* keyTarget() const { return keyTarget_; }
  std::function<void(int id)> onHotkey;

  // The DPI the form is laid out for (96 at 100%), and a 96-DPI design length or rectangle at
  // it. Window and control bounds are in device pixels.
  int dpi() const;
  int scaled(int designLength) const;
  Rect scaled(Rect design) const;

  // For backends, on the UI thread.
  FormPeer* peer() const { return peer_.get(); }
  const std::vector<Control*>& controls() const { return controls_; }
  void deliverClose();  // the close box: destroys the form unless onCloseAsked refuses
  // `target`: the control the key was sent to; null: the focus.
  void deliverKeyDown(int virtualKey, Control* target = nullptr);
  void deliverHotkey(int id);

  // Runs fn as one of this form's events: skipped when the form is not alive or is leaving
  // (unless `evenWhenLeaving`), and a destroy asked for inside waits until it returns.
  void dispatch(const std::function<void()>& fn, bool evenWhenLeaving = false);

 private:
  friend class Control;
  friend struct FormLifecycle;
  enum class State { Constructed, Alive, Destroying, Dead };

  void addControl(Control& control);
  void create();  // by the toolkit's load
  void finishDestroy();
  void resolveFocusOrder();
  // Focus bookkeeping for Control (see control.h: a control out of reach hands the focus on).
  void giveFocus(Control* control);
  void parkFocus(Control& control);
  void returnParkedFocus(Control& control);

  const FormDef& definition_;
  FormHandle handle_;
  State state_ = State::Constructed;
  int dispatchDepth_ = 0;
  bool destroyRequested_ = false;
  bool leaving_ = false;
  std::unique_ptr<FormPeer> peer_;
  std::vector<Control*> controls_;
  std::vector<Control*> focusOrder_;
  Control* parkedFocus_ = nullptr;
  Control* keyTarget_ = nullptr;
};

}  // namespace ui
