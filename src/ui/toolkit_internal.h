// Bookkeeping shared by the toolkit's own files; not for backends or forms.
#pragma once
#include <string>
#include <string_view>

namespace ui {
class Backend;
class Form;

// The toolkit's side door into a form's life.
struct FormLifecycle {
  static void create(Form& form);        // window, controls, start states, onCreated, shown
  static void forceDestroy(Form& form);  // at uninstall, whatever is running
};
}  // namespace ui

namespace ui::detail {

// Events and nested loops in progress; dead forms are freed only when this is zero.
void enterNesting();
void leaveNesting();

// The forms whose events are running, innermost last. A message box asked for on the UI thread
// belongs to the innermost one still alive and shown: the form that shows it.
void enterEvent(Form& form);
void leaveEvent();
Form* messageOwner();  // null off the UI thread or outside every event

// A form has finished destroying: it moves to the dead list, and the program ends when it
// was the last one.
void formDestroyed(Form& form);

// Definition texts are UTF-8 in the source; the program works in GBK.
std::string programText(std::string_view utf8);

[[noreturn]] void fatal(std::string_view message);

// The installed backend, or null once the toolkit is uninstalled (workers finishing late).
Backend* installedBackend();

}  // namespace ui::detail
