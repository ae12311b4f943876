// The GUI toolkit: forms and controls over a backend chosen at program start.
//
// How a backend plugs in
// ----------------------
// A backend implements ui::Backend, ui::FormPeer and ui::ControlPeer (backend.h). The program
// (or a test) creates one backend object and calls ui::install(backend) on the thread that is
// to be the UI thread; everything else in the program talks to forms, controls and the free
// functions of this header and system.h, never to the backend directly. Two backends exist:
// ui/win32 (real windows) and ui/headless (in memory, driven by tests).
//
// The division of work:
// - The toolkit (this layer) owns the forms, applies each form's definition table, keeps the rules
//   listed in control.h and form.h (UI-thread asserts, deferred destroy, leaving forms, slider
//   clamping and change reports, radio groups) and ends the program when the last form is
//   destroyed, by calling Backend::quit(0).
// - A backend creates windows and controls when asked, reports user input by calling
//   Control::deliver, Form::deliverClose, Form::deliverKeyDown and Form::deliverHotkey on the
//   UI thread, runs work given to Backend::post inside its message loop, runs nested loops for
//   modal forms and for processMessages, and calls ui::detail::collectDeadForms() from its
//   outermost loop between messages.
//
// Threads: forms, controls and most services are for the UI thread only, and calling them
// elsewhere is reported to the thread-violation handler (by default: a message and abort).
// Worker threads copy what they need when they start and hand results back with
// ui::post(formHandle, work), which runs `work` on the UI thread as one of that form's events,
// or drops it when the form is gone. No lock is held while posting; the UI thread never waits
// for a worker.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "platform/worker.h"
#include "ui/backend.h"
#include "ui/control.h"
#include "ui/form.h"
#include "ui/types.h"

namespace ui {

// Installs the backend for this process; the calling thread becomes the UI thread.
void install(Backend& backend);
// Destroys every form still alive, runs the work posted until then (a form's work finds its
// form gone and is dropped), frees the forms and forgets the backend (program end, tests).
// Work posted afterwards is dropped, even when the backend still holds it.
void uninstall();
Backend& backend();

bool isUiThread();
// Reports `operation` to the violation handler unless called on the UI thread.
void assertUiThread(const char* operation);
using ThreadViolationHandler = std::function<void(const char* operation)>;
// Replaces the handler (tests record violations instead of aborting); an empty one restores
// the default.
void setThreadViolationHandler(ThreadViolationHandler handler);

namespace detail {
void adopt(std::unique_ptr<Form> form);  // registers, creates and shows
void runModal(Form& form);
void collectDeadForms();  // frees destroyed forms; only outside every event and nested loop
}  // namespace detail

// Loads a form not modally: constructs it, lets `setup` attach handlers, creates its window,
// runs onCreated and shows it. Returns the live form.
template <class F>
F& load(const std::function<void(F&)>& setup = {}) {
  auto form = std::make_unique<F>();
  F& loaded = *form;
  if (setup) setup(loaded);
  detail::adopt(std::move(form));
  return loaded;
}

// Loads a form modally: as load, then a nested message loop until the form is destroyed.
template <class F>
void loadModal(const std::function<void(F&)>& setup = {}) {
  F& loaded = load<F>(setup);
  detail::runModal(loaded);
}

// The program's message loop. Returns 0 once the last form has been destroyed.
int run();

// Lets pending messages and posted work run for the given time (UI thread).
void processMessages(int milliseconds);

// Any thread: runs `work` on the UI thread as an event of the form, or drops it when the form
// is gone by then.
void post(FormHandle form, std::function<void()> work);
// As post, for a worker's result: queued only while `gate` is open, that is while the worker's
// owner is alive.
void post(platform::Gate& gate, FormHandle form, std::function<void()> work);

// Live forms, in the order they were loaded.
std::vector<Form*> liveForms();
std::size_t liveFormCount();
Form* findForm(FormHandle handle);

// The first live form of class F, or null.
template <class F>
F* find() {
  for (Form* form : liveForms()) {
    if (auto* match = dynamic_cast<F*>(form)) return match;
  }
  return nullptr;
}

}  // namespace ui
