// The windows behind forms and controls. Every control window is subclassed (SetWindowSubclass)
// so that it can find its peer, report mouse moves and take the cursor its control asks for;
// the form's window procedure turns the controls' notifications into toolkit events.
//
// Keyboard: forms are ordinary windows that the message loop hands to the system's dialog
// manager (IsDialogMessageW), so Tab, Enter, Space and the arrow keys work as in a dialog. The
// dialog manager walks the controls in z-order by their WS_TABSTOP and WS_GROUP styles, which
// setFocusOrder arranges from the form's focus order; the form answers WM_NEXTDLGCTL as a
// dialog's own procedure would and keeps the focus across deactivation, as a dialog does.
#pragma once
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/backend.h"
#include "ui/control.h"
#include "ui/form.h"
#include "ui/win32/win32_api.h"

namespace ui::win32 {

class Win32FormPeer;

class Win32ControlPeer final : public ControlPeer {
 public:
  Win32ControlPeer(Control& control, Win32FormPeer& form);
  ~Win32ControlPeer() override;

  HWND window() const { return window_; }
  Control& control() const { return control_; }
  static Win32ControlPeer* of(HWND window);

  // Notifications the form's window procedure hands on; they become events of the control.
  void onCommand(WORD code);
  LRESULT onNotify(NMHDR& header);
  void onScroll();
  // WM_CTLCOLORSTATIC: a transparent label lets the form show through.
  HBRUSH colorStatic(HDC dc) const;
  // The form moved to a monitor of another scale: place, font, columns and sections follow.
  void rescale(int oldDpi, int newDpi);

  void setText(const std::string& text) override;
  std::string text() const override;
  std::u16string wideText() const override;
  void setVisible(bool visible) override;
  bool visible() const override;
  void setEnabled(bool enabled) override;
  bool enabled() const override;
  void setBounds(Rect bounds) override;
  Rect bounds() const override;
  void setCursor(Cursor cursor) override { cursor_ = cursor; }
  Cursor cursor() const override { return cursor_; }

  void setChecked(bool checked) override;
  bool checked() const override;

  int addItem(const std::string& text, const std::string& data) override;
  int addItemWide(const std::u16string& text, const std::string& data) override;
  std::u16string itemTextWide(int index) const override;
  void clearItems() override;
  int itemCount() const override;
  std::string itemText(int index) const override;
  std::string itemData(int index) const override;
  void setSelectedIndex(int index) override;
  int selectedIndex() const override;

  int columnCount() const override;
  void addColumn(const std::string& title, int width) override;
  void deleteColumn(int column) override;
  void setColumnTitle(int column, const std::string& title) override;
  std::string columnTitle(int column) const override;
  int columnWidth(int column) const override;
  int rowCount() const override;
  int appendRow() override;
  void deleteRow(int row) override;
  void deleteAllRows() override;
  void setCell(int row, int column, const std::string& text) override;
  std::string cell(int row, int column) const override;
  void repaint() override;
  void setRowSource(const ListRowSource* source) override { source_ = source; }
  void setRowCount(int count) override;
  void redrawRows(int first, int last) override;

  void setSectionText(int section, const std::string& text) override;
  std::string sectionText(int section) const override;

  void setRange(int minimum, int maximum) override;
  void setSteps(int lineStep, int pageStep) override;
  void setPosition(int position) override;
  int position() const override;

  void setPicture(const std::string& imageBytes) override;
  std::string picture() const override { return picture_; }

  void clear() override;
  void drawRectangle(Point from, Point to) override;
  void drawLine(Point from, Point to) override;
  void copyFrom(const ControlPeer& source, Rect area, Point to) override;
  std::string snapshotBmp() const override;
  void update() override;

  // The canvas window of picture boxes and drawing panels paints from here.
  void paintCanvas(HDC dc, const RECT& area) const;
  void mouseEvent(EventType type, MouseButton button, LPARAM where);

 private:
  static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                       DWORD_PTR peer);
  void create();
  void applySectionWidths();
  void applyFont();
  int comboDropHeight() const;
  void resizeCanvas();
  // Drawing panels: an area drawn over the background since the last clear.
  void drawn(RECT area);
  void redrawBehind();
  void holdRedrawUntilIdle();
  void resumeRedraw();
  bool ownerData() const;
  void fillDisplayInfo(LVITEMW& item) const;
  void fitDropDownWidth();
  int addShownItem(const std::wstring& shown, const std::string& data);

  Control& control_;
  const ControlDef& definition_;
  Win32FormPeer& form_;
  HWND window_ = nullptr;
  Cursor cursor_ = Cursor::Arrow;
  Rect requested_;                         // combo boxes report the height they were given
  std::vector<std::string> itemData_;      // combo boxes
  int quietSelection_ = 0;                 // list views: the program is changing the selection
  bool redrawHeld_ = false;                // list views: repainting waits for the message loop
  int rows_ = 0;                           // list views
  int columns_ = 0;                        // list views
  const ListRowSource* source_ = nullptr;  // owner-data list views
  int widestItem_ = 0;                     // combo boxes: pixels of the widest item's text
  std::string picture_;
  HBITMAP background_ = nullptr;  // the decoded picture
  HBITMAP canvas_ = nullptr;      // drawing panels: what the panel shows
  // A memory device context that keeps one bitmap selected between drawings: making one per
  // drawing costs more than the drawing.
  struct BitmapDc {
    HDC dc = nullptr;
    HBITMAP held = nullptr;
    HGDIOBJ previous = nullptr;
    HDC of(HBITMAP bitmap);
    void release();  // before the bitmap is read whole or deleted
  };
  mutable BitmapDc canvasDc_;
  mutable BitmapDc backgroundDc_;
  // Drawing panels: where the canvas differs from paper and background, so that a clear
  // restores and repaints only that (a full-screen panel is cleared on every mouse move);
  // unknown after the picture or the size changed, or after many drawings.
  std::optional<std::vector<RECT>> drawnAreas_;
};

class Win32FormPeer final : public FormPeer {
 public:
  explicit Win32FormPeer(Form& form);
  ~Win32FormPeer() override;

  HWND window() const { return window_; }
  Form& form() const { return form_; }
  static Win32FormPeer* of(HWND window);  // null for windows that are not live forms
  int dpi() const override { return dpi_; }
  int scaled(int designLength) const { return scaleForDpi(designLength, dpi_); }
  // The peer of one of this form's control windows, or null. Notifications come many times a
  // paint (an owner-data list asks for every cell it draws), so this is a lookup in memory.
  Win32ControlPeer* controlOf(HWND window) const;
  void forgetControl(HWND window) { controlWindows_.erase(window); }

  std::unique_ptr<ControlPeer> createControl(Control& control) override;
  void setCaption(const std::string& caption) override;
  std::string caption() const override;
  void setBounds(Rect bounds) override;
  Rect bounds() const override;
  void setVisible(bool visible) override;
  bool visible() const override;
  void setTopmost(bool topmost) override;
  bool topmost() const override;
  void setTitleKeptActive(bool kept) override { titleKeptActive_ = kept; }
  bool titleKeptActive() const override { return titleKeptActive_; }
  void setAlpha(int alpha) override;
  int alpha() const override;
  bool registerHotkey(int id, unsigned modifiers, int virtualKey) override;
  void unregisterHotkey(int id) override;
  Control* focusedControl() const override;
  void setFocusedControl(Control* control) override;
  void setFocusOrder(const std::vector<Control*>& order) override;

  // A radio button of the focus order changed its check: only the checked button of a group
  // (or its first, when none is) is a tab stop, as Tab enters a group at its selection.
  void refreshRadioStops(int group);

  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l);

 private:
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  bool active() const;
  HWND focusedChild() const;  // the control window with the focus, or null
  void moveFocus(HWND target);

  Form& form_;
  HWND window_ = nullptr;
  bool titleKeptActive_ = false;
  int alpha_ = -1;
  int dpi_ = kDesignDpi;  // of the monitor the form is on
  std::set<int> hotkeys_;
  std::vector<Control*> focusOrder_;
  HWND savedFocus_ = nullptr;  // the focus to give back when the form is activated again
  std::unordered_map<HWND, Win32ControlPeer*> controlWindows_;
};

// Window classes of this backend, registered once.
const wchar_t* formClassName();
const wchar_t* canvasClassName();
// Messages of this backend.
inline constexpr UINT kDestroyLater = WM_APP + 1;  // lParam: the window to destroy
inline constexpr UINT kRunPosted = WM_APP + 2;
inline constexpr UINT kResumeRedraw = WM_APP + 3;  // to a list view whose redraw is held
// WM_DPICHANGED, which the Windows 7 headers lack.
inline constexpr UINT kDpiChanged = 0x02E0;

// Sends key-down messages to the form they belong to, then translates and dispatches.
void dispatchMessage(MSG& message);

}  // namespace ui::win32
