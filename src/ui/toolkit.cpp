#include "ui/toolkit.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/cp936.h"
#include "ui/toolkit_internal.h"

namespace ui {
namespace {

struct ToolkitState {
  std::atomic<Backend*> backend{nullptr};
  std::atomic<std::thread::id> uiThread{};
  std::mutex handlerMutex;
  ThreadViolationHandler violationHandler;
  // UI thread only.
  std::vector<std::unique_ptr<Form>> live;
  std::vector<std::unique_ptr<Form>> dead;
  int nesting = 0;
  std::vector<Form*> events;
};

ToolkitState& state() {
  static ToolkitState instance;
  return instance;
}

void defaultViolation(const char* operation) {
  std::fprintf(stderr, "ui: %s called off the UI thread\n", operation);
  std::abort();
}

}  // namespace

namespace detail {

void enterNesting() { ++state().nesting; }
void leaveNesting() { --state().nesting; }

void enterEvent(Form& form) { state().events.push_back(&form); }
void leaveEvent() { state().events.pop_back(); }

Form* messageOwner() {
  if (!isUiThread()) return nullptr;
  const auto& events = state().events;
  for (auto it = events.rbegin(); it != events.rend(); ++it) {
    if ((*it)->alive() && (*it)->visible()) return *it;
  }
  return nullptr;
}

void formDestroyed(Form& form) {
  auto& live = state().live;
  auto it = std::find_if(live.begin(), live.end(), [&](auto& f) { return f.get() == &form; });
  if (it == live.end()) return;
  state().dead.push_back(std::move(*it));
  live.erase(it);
  if (live.empty()) {
    if (Backend* b = state().backend.load()) b->quit(0);
  }
}

std::string programText(std::string_view utf8) { return cp936::fromUtf8(utf8); }

Backend* installedBackend() { return state().backend.load(); }

void fatal(std::string_view message) {
  std::fprintf(stderr, "ui: %.*s\n", int(message.size()), message.data());
  std::abort();
}

void adopt(std::unique_ptr<Form> form) {
  assertUiThread("ui::load");
  Form& adopted = *form;
  state().live.push_back(std::move(form));
  FormLifecycle::create(adopted);
}

void runModal(Form& form) {
  assertUiThread("ui::loadModal");
  if (!form.alive()) return;
  enterNesting();
  backend().runModal(form);
  leaveNesting();
}

void collectDeadForms() {
  assertUiThread("ui::detail::collectDeadForms");
  if (state().nesting == 0) state().dead.clear();
}

}  // namespace detail

void install(Backend& backend) {
  state().uiThread = std::this_thread::get_id();
  state().backend = &backend;
}

void uninstall() {
  if (!state().backend.load()) return;
  assertUiThread("ui::uninstall");
  while (!state().live.empty()) {
    Form& form = *state().live.back();
    FormLifecycle::forceDestroy(form);
  }
  // Drained while this is still the UI thread: work run later finds no toolkit and is dropped.
  state().backend.load()->processMessages(0);
  state().nesting = 0;
  state().events.clear();
  state().dead.clear();
  state().backend = nullptr;
  state().uiThread = std::thread::id{};
}

Backend& backend() {
  Backend* b = state().backend.load();
  if (!b) detail::fatal("no toolkit backend installed");
  return *b;
}

bool isUiThread() { return state().uiThread.load() == std::this_thread::get_id(); }

void assertUiThread(const char* operation) {
  if (isUiThread()) return;
  ThreadViolationHandler handler;
  {
    std::lock_guard lock(state().handlerMutex);
    handler = state().violationHandler;
  }
  if (handler) {
    handler(operation);
  } else {
    defaultViolation(operation);
  }
}

void setThreadViolationHandler(ThreadViolationHandler handler) {
  std::lock_guard lock(state().handlerMutex);
  state().violationHandler = std::move(handler);
}

int run() {
  assertUiThread("ui::run");
  detail::collectDeadForms();
  if (state().live.empty()) return 0;
  return backend().runMessageLoop();
}

void processMessages(int milliseconds) {
  assertUiThread("ui::processMessages");
  detail::enterNesting();
  backend().processMessages(milliseconds);
  detail::leaveNesting();
}

void post(FormHandle form, std::function<void()> work) {
  Backend* b = state().backend.load();
  if (!b || !work) return;
  b->post([form, work = std::move(work)] {
    // The backend may run what it still holds after the toolkit was uninstalled.
    if (!state().backend.load()) return;
    if (Form* target = findForm(form)) target->dispatch(work, /*evenWhenLeaving=*/true);
  });
}

void post(platform::Gate& gate, FormHandle form, std::function<void()> work) {
  gate.pass([&] { post(form, std::move(work)); });
}

std::vector<Form*> liveForms() {
  assertUiThread("ui::liveForms");
  std::vector<Form*> forms;
  for (auto& f : state().live) {
    if (f->alive()) forms.push_back(f.get());
  }
  return forms;
}

std::size_t liveFormCount() { return liveForms().size(); }

Form* findForm(FormHandle handle) {
  for (Form* f : liveForms()) {
    if (f->handle() == handle) return f;
  }
  return nullptr;
}

}  // namespace ui
