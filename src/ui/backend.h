// What a toolkit backend implements: the windows and controls behind the forms, the message
// loop, and the system services. toolkit.h explains how a backend plugs in.
//
// Every text crossing these interfaces is program text (GBK bytes); the Win32 backend converts
// at its edge with cp936. Byte strings (pictures) are file bytes. Every call arrives on the UI
// thread, except Backend::post and the services marked "any thread".
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/cp936.h"
#include "ui/screen_geometry.h"
#include "ui/types.h"

namespace ui {

class Control;
class Form;
class ListRowSource;

// One control's window. Created by FormPeer::createControl in the bare state its definition's style
// asks for (kind, place, font, alignment, edit box flags); the toolkit then sets its text,
// visibility, enabled and checked states, columns, sections and slider settings through the
// setters below. Operations that do not apply to the control's kind are ignored and getters
// return empty values.
class ControlPeer {
 public:
  virtual ~ControlPeer() = default;

  // Every visible kind. The text is a caption, an edit box's content or a combo box's text.
  virtual void setText(const std::string& text) = 0;
  virtual std::string text() const = 0;
  // The text as the user typed it, characters GBK cannot hold included.
  virtual std::u16string wideText() const { return cp936::toUtf16(text()); }
  virtual void setVisible(bool visible) = 0;
  virtual bool visible() const = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual bool enabled() const = 0;
  virtual void setBounds(Rect bounds) = 0;
  virtual Rect bounds() const = 0;
  virtual void setCursor(Cursor cursor) = 0;
  virtual Cursor cursor() const = 0;

  // Check boxes and radio buttons. Never reports an event.
  virtual void setChecked(bool checked) = 0;
  virtual bool checked() const = 0;

  // Combo boxes. Items carry opaque data bytes beside their shown text.
  virtual int addItem(const std::string& text, const std::string& data) = 0;
  virtual void clearItems() = 0;
  virtual int itemCount() const = 0;
  virtual std::string itemText(int index) const = 0;
  virtual std::string itemData(int index) const = 0;
  // The same as wide text, for names GBK cannot hold (file names); a backend without wide
  // items shows them as program text.
  virtual int addItemWide(const std::u16string& text, const std::string& data) {
    return addItem(cp936::fromUtf16(text), data);
  }
  virtual std::u16string itemTextWide(int index) const { return cp936::toUtf16(itemText(index)); }

  // Combo boxes (item) and list views (row); -1 is none. Never reports an event.
  virtual void setSelectedIndex(int index) = 0;
  virtual int selectedIndex() const = 0;

  // List views.
  virtual int columnCount() const = 0;
  virtual void addColumn(const std::string& title, int width) = 0;  // at the end
  virtual void deleteColumn(int column) = 0;
  virtual void setColumnTitle(int column, const std::string& title) = 0;
  virtual std::string columnTitle(int column) const = 0;
  virtual int columnWidth(int column) const = 0;
  virtual int rowCount() const = 0;
  virtual int appendRow() = 0;  // an empty row at the end; returns its index
  virtual void deleteRow(int row) = 0;
  virtual void deleteAllRows() = 0;
  virtual void setCell(int row, int column, const std::string& text) = 0;
  virtual std::string cell(int row, int column) const = 0;
  virtual void repaint() = 0;

  // Owner-data list views (ControlDef::ownerData): the toolkit never calls appendRow, deleteRow,
  // deleteAllRows or setCell on them. The rows are `source`'s (null: every cell empty) and the
  // peer keeps only their count; cell() reads the source the way the list reads it to draw.
  // Setting the count redraws the rows in sight and keeps the scroll position.
  virtual void setRowSource(const ListRowSource* source) = 0;
  virtual void setRowCount(int count) = 0;
  virtual void redrawRows(int first, int last) = 0;  // rows first..last have changed

  // Status bars: sections as the definition lays them out.
  virtual void setSectionText(int section, const std::string& text) = 0;
  virtual std::string sectionText(int section) const = 0;

  // Sliders and progress bars. The toolkit clamps before setting a position; the peer
  // reports nothing when the program sets one.
  virtual void setRange(int minimum, int maximum) = 0;
  virtual void setSteps(int lineStep, int pageStep) = 0;
  virtual void setPosition(int position) = 0;
  virtual int position() const = 0;

  // Picture boxes: the shown image. Drawing panels: the background picture, which clear()
  // repaints. Empty bytes show nothing.
  virtual void setPicture(const std::string& imageBytes) = 0;
  virtual std::string picture() const = 0;

  // Drawing panels.
  virtual void clear() = 0;  // background picture only, drawings removed
  virtual void drawRectangle(Point from, Point to) = 0;
  virtual void drawLine(Point from, Point to) = 0;
  // Copies `area` of another panel of the same backend to `to` on this one (a BitBlt).
  virtual void copyFrom(const ControlPeer& source, Rect area, Point to) = 0;
  virtual std::string snapshotBmp() const = 0;  // what the panel shows, as BMP file bytes
  virtual void update() = 0;                    // repaint now
};

// One form's window. Created hidden by Backend::createForm with the definition's place and style;
// the toolkit then creates the controls, sets the caption and runs the form's created event
// before it shows the form. Destroying the peer destroys the window (its controls' peers are
// destroyed before it).
class FormPeer {
 public:
  virtual ~FormPeer() = default;

  virtual std::unique_ptr<ControlPeer> createControl(Control& control) = 0;

  virtual void setCaption(const std::string& caption) = 0;
  virtual std::string caption() const = 0;
  virtual void setBounds(Rect bounds) = 0;  // window position and outer size
  virtual Rect bounds() const = 0;
  virtual void setVisible(bool visible) = 0;
  virtual bool visible() const = 0;
  virtual void setTopmost(bool topmost) = 0;
  virtual bool topmost() const = 0;
  // Draws the title bar as active even while another window has the focus.
  virtual void setTitleKeptActive(bool kept) = 0;
  virtual bool titleKeptActive() const = 0;
  // Layered-window alpha, 0 (invisible) to 255 (opaque); the window stays layered afterwards.
  virtual void setAlpha(int alpha) = 0;
  virtual int alpha() const = 0;  // -1 while the window is not layered

  // Global hotkeys delivered to this form (Form::deliverHotkey). False when the system
  // refuses, for example when another program holds the key.
  virtual bool registerHotkey(int id, unsigned modifiers, int virtualKey) = 0;
  virtual void unregisterHotkey(int id) = 0;

  // Keyboard focus among the form's controls. While the form is not the active window this is
  // the control that gets the focus when the form is activated again. Null: no control has it
  // and the form itself hears the keys. Setting it never activates the form.
  virtual Control* focusedControl() const = 0;
  virtual void setFocusedControl(Control* control) = 0;
  // The focus order of the definition, resolved, once all controls exist; Tab, Shift+Tab and
  // the arrow keys in radio groups follow it.
  virtual void setFocusOrder(const std::vector<Control*>& order) = 0;

  // The DPI the form is laid out for: its definition's 96-DPI places and fonts are scaled to
  // it, and so are lengths the program works out from design numbers (Form::scaled).
  virtual int dpi() const { return kDesignDpi; }
};

// Arguments of the system open-file dialog; empty fields take the system's defaults.
struct OpenFileRequest {
  std::string title;
  std::string fileName;  // initial name
  std::string filter;    // "Name|*.ext;*.ext2|Name2|*.ext3"
  std::filesystem::path initialFolder;
  std::string defaultExtension;
  bool createPrompt = false;
  bool fileMustExist = false;
  bool pathMustExist = false;
  bool keepCurrentDirectory = false;
};

// Arguments of the system save-file dialog; empty fields take the system's defaults.
struct SaveFileRequest {
  std::string title;
  std::string fileName;  // initial name
  std::string filter;    // "Name|*.ext|Name2|*.ext2"
  int filterIndex = 1;   // 1-based: the type shown first
  std::filesystem::path initialFolder;
  std::string defaultExtension;  // added when the typed name has no extension
  bool overwritePrompt = true;   // an existing file is replaced only after the user agrees
};

// The save dialog's answer: an empty file when the user cancelled.
struct SaveFileChoice {
  std::filesystem::path file;
  int filterIndex = 0;  // 1-based: the type chosen when the dialog closed
};

enum class MouseHookAction { LeftDown, LeftUp, Move, Other };

// A low-level mouse event anywhere on the screen; the point is in screen coordinates.
struct MouseHookEvent {
  MouseHookAction action = MouseHookAction::Other;
  Point point;
};

using MouseHookId = int;  // 0 is no hook

class Backend {
 public:
  virtual ~Backend() = default;

  // Forms.
  virtual std::unique_ptr<FormPeer> createForm(Form& form) = 0;

  // The message loop: runs until quit() and returns its code.
  virtual int runMessageLoop() = 0;
  virtual void quit(int exitCode) = 0;
  // A nested message loop that returns once the form is no longer alive.
  virtual void runModal(Form& form) = 0;
  // Lets pending messages and posted work run for the given time; never blocks them.
  virtual void processMessages(int milliseconds) = 0;
  // Any thread: queues work for the UI thread's loop and returns at once.
  virtual void post(std::function<void()> work) = 0;

  // System services. A message box belongs to its owner form: the form waits while the box is
  // up and is active again, with its focus, when the box closes. Without an owner (a box asked
  // for off the UI thread or outside any form's event) the backend takes the program's active
  // form, else its first visible window, else none (the box is then task-modal). They return
  // mb::kId.... Any thread; a non-null owner only on the UI thread.
  virtual int messageBox(Form* owner, const std::string& text, const std::string& caption,
                         unsigned style) = 0;
  // The same with a wide text, which may name what GBK cannot hold (a file name).
  virtual int messageBoxWide(Form* owner, const std::u16string& text, const std::string& caption,
                             unsigned style) {
    return messageBox(owner, cp936::fromUtf16(text), caption, style);
  }
  // A box that closes itself after timeoutMs (mb::kIdTimedOut then). Owned as above.
  virtual int timedMessageBox(Form* owner, const std::string& text, const std::string& caption,
                              unsigned style, unsigned timeoutMs) = 0;
  // The chosen file, or an empty path when the user cancelled.
  virtual std::filesystem::path chooseOpenFile(const OpenFileRequest& request) = 0;
  virtual SaveFileChoice chooseSaveFile(const SaveFileRequest& request) = 0;
  // Opens a web address in the default browser ("open" verb, normal window).
  virtual void openUrl(const std::string& url) = 0;
  virtual Size screenSize() const = 0;       // the primary monitor's; any thread
  // Every monitor, in screen coordinates and device pixels, with its DPI. Any thread.
  virtual std::vector<Monitor> monitors() const = 0;
  virtual Point cursorPosition() const = 0;  // any thread
  // The clipboard's text (CF_TEXT), or nullopt when it cannot be opened or holds none.
  virtual std::optional<std::string> clipboardText() = 0;  // any thread
  // A number that changes whenever the clipboard's contents change; any thread.
  virtual std::uint32_t clipboardSequence() = 0;
  virtual void pressKey(int virtualKey, bool down) = 0;  // any thread; simulated input
  // A system-wide mouse hook called on the UI thread. 0 when it cannot be installed.
  virtual MouseHookId installMouseHook(std::function<void(const MouseHookEvent&)> hook) = 0;
  virtual bool removeMouseHook(MouseHookId hook) = 0;  // false when no such hook is installed
  // The whole virtual screen (every monitor) as BMP file bytes at device pixels: its pixel 0, 0
  // is the virtual screen's top-left corner; gaps between monitors are black.
  virtual std::string screenSnapshotBmp() = 0;
  // The pixels of a screen area as it shows now, 0x00RRGGBB, rows top to bottom, parts off
  // the screen black. Cheap enough to call a few times a second. Empty for an area without
  // pixels. Any thread.
  virtual std::vector<std::uint32_t> screenPixels(Rect area) = 0;
};

}  // namespace ui
