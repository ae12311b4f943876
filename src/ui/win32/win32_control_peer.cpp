// Control windows: creation, text, states, combo boxes, status bars, sliders and the events
// they report. List views are in win32_list_view.cpp, pictures and drawing in win32_canvas.cpp.
#include <algorithm>

#include "ui/win32/fonts.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_peers.h"

namespace ui::win32 {
namespace {

constexpr wchar_t kPeerProperty[] = L"QuorvixPeer";
constexpr int kComboDropHeight = 200;

struct WindowKind {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

DWORD alignStyle(const ControlDef& definition) {
  switch (definition.kind) {
    case ControlKind::EditBox:
      return definition.align == Align::Center  ? ES_CENTER
             : definition.align == Align::Right ? ES_RIGHT
                                                : 0;
    case ControlKind::Label:
    case ControlKind::TransparentLabel:
      return definition.align == Align::Center  ? SS_CENTER
             : definition.align == Align::Right ? SS_RIGHT
                                                : SS_LEFT;
    default:
      return 0;
  }
}

WindowKind windowKind(const ControlDef& definition) {
  switch (definition.kind) {
    case ControlKind::Label:
    case ControlKind::TransparentLabel:
      return {L"STATIC", SS_NOTIFY, 0};  // SS_NOTIFY: labels see the mouse
    case ControlKind::Button:
      return {L"BUTTON", BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP, 0};
    case ControlKind::CheckBox:
      return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::RadioButton:
      return {L"BUTTON", BS_RADIOBUTTON | WS_TABSTOP, 0};  // the toolkit keeps the group
    case ControlKind::ComboBox:
      return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::EditBox: {
      DWORD style = WS_TABSTOP;
      style |=
          definition.multiLine ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN : ES_AUTOHSCROLL;
      if (definition.readOnly) style |= ES_READONLY;
      if (definition.verticalScroll) style |= WS_VSCROLL;
      return {L"EDIT", style, WS_EX_CLIENTEDGE};
    }
    case ControlKind::PictureBox:
    case ControlKind::DrawingPanel:
      return {canvasClassName(), 0, 0};
    case ControlKind::ProgressBar:
      return {PROGRESS_CLASSW, 0, 0};
    case ControlKind::StatusBar:
      return {STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 0};
    case ControlKind::ListView:
      return {WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::Slider:
      return {TRACKBAR_CLASSW, TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, 0};
    case ControlKind::FileDialog:
      break;
  }
  return {L"STATIC", 0, 0};
}

bool hasCaption(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::TransparentLabel:
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::EditBox:
      return true;
    default:
      return false;
  }
}

std::wstring windowText(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), int(text.size())));
  return text;
}

}  // namespace

Win32ControlPeer::Win32ControlPeer(Control& control, Win32FormPeer& form)
    : control_(control),
      definition_(control.definition()),
      form_(form),
      requested_(control.definition().place) {
  create();
}

void Win32ControlPeer::create() {
  HWND form = form_.window();
  static int nextId = 1000;
  WindowKind kind = windowKind(definition_);
  if (definition_.kind == ControlKind::ListView && definition_.ownerData)
    kind.style |= LVS_OWNERDATA;
  // The definition's places are 96-DPI design; the window is laid out at the form's DPI.
  const Rect& design = definition_.place;
  Rect place{form_.scaled(design.left), form_.scaled(design.top), form_.scaled(design.width),
             form_.scaled(design.height)};
  requested_ = place;
  int height = place.height + comboDropHeight();
  window_ = CreateWindowExW(kind.exStyle, kind.className, L"",
                            WS_CHILD | kind.style | alignStyle(definition_), place.left, place.top,
                            place.width, height, form, reinterpret_cast<HMENU>(nextId++),
                            GetModuleHandleW(nullptr), nullptr);
  if (!window_) return;
  SetPropW(window_, kPeerProperty, this);
  SetWindowSubclass(window_, subclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
  applyFont();
  switch (definition_.kind) {
    case ControlKind::ListView:
      ListView_SetExtendedListViewStyle(window_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
      break;
    case ControlKind::StatusBar:
      applySectionWidths();
      break;
    case ControlKind::DrawingPanel:
      resizeCanvas();
      break;
    default:
      break;
  }
}

Win32ControlPeer::~Win32ControlPeer() {
  backgroundDc_.release();
  canvasDc_.release();
  if (background_) DeleteObject(background_);
  if (canvas_) DeleteObject(canvas_);
  if (!window_) return;
  form_.forgetControl(window_);
  RemoveWindowSubclass(window_, subclassProc, 0);
  RemovePropW(window_, kPeerProperty);
  // As with forms: the window may be inside the message that led here.
  ShowWindow(window_, SW_HIDE);
  PostMessageW(GetParent(window_), kDestroyLater, 0, reinterpret_cast<LPARAM>(window_));
}

Win32ControlPeer* Win32ControlPeer::of(HWND window) {
  return window ? static_cast<Win32ControlPeer*>(GetPropW(window, kPeerProperty)) : nullptr;
}

LRESULT CALLBACK Win32ControlPeer::subclassProc(HWND window, UINT message, WPARAM w, LPARAM l,
                                                UINT_PTR, DWORD_PTR data) {
  auto* peer = reinterpret_cast<Win32ControlPeer*>(data);
  switch (message) {
    case WM_SETCURSOR:
      if (peer->cursor_ == Cursor::Cross && LOWORD(l) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32515)));  // IDC_CROSS
        return TRUE;
      }
      break;
    case kResumeRedraw:
      peer->resumeRedraw();
      return 0;
    case WM_MOUSEMOVE:
      if (peer->definition_.kind == ControlKind::Label ||
          peer->definition_.kind == ControlKind::TransparentLabel) {
        peer->control_.deliver(
            {EventType::MouseMove, {MouseButton::None, {GET_X_LPARAM(l), GET_Y_LPARAM(l)}}});
        return 0;  // the peer may be gone now
      }
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, w, l);
}

// ---- Events ----

void Win32ControlPeer::onCommand(WORD code) {
  switch (definition_.kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
      if (code == BN_CLICKED) control_.deliver({EventType::Click, {}});
      break;
    case ControlKind::ComboBox:
      if (code == CBN_SELCHANGE) control_.deliver({EventType::SelectionChanged, {}});
      break;
    default:
      break;
  }
}

LRESULT Win32ControlPeer::onNotify(NMHDR& header) {
  if (definition_.kind == ControlKind::StatusBar && header.code == UINT(NM_DBLCLK)) {
    control_.deliver({EventType::DoubleClick, {}});
    return 0;
  }
  if (definition_.kind != ControlKind::ListView) return 0;
  switch (header.code) {
    case UINT(LVN_ITEMCHANGED): {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      bool nowSelected = (change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
                         !(change.uOldState & LVIS_SELECTED);
      if (nowSelected && quietSelection_ == 0) {
        control_.deliver({EventType::SelectionChanged, {}});
      }
      return 0;
    }
    case UINT(LVN_GETDISPINFOW):
      fillDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header).item);
      return 0;
    case UINT(LVN_ODFINDITEMW):
      return -1;  // typing a row's first letters finds nothing
    default:
      return 0;
  }
}

void Win32ControlPeer::onScroll() {
  if (definition_.kind == ControlKind::Slider) control_.deliver({EventType::PositionChanged, {}});
}

HBRUSH Win32ControlPeer::colorStatic(HDC dc) const {
  if (definition_.kind != ControlKind::TransparentLabel) return nullptr;
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

// A transparent label paints no background: what lies behind it is redrawn first.
void Win32ControlPeer::redrawBehind() {
  HWND parent = GetParent(window_);
  RECT r{};
  GetWindowRect(window_, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- Common properties ----

void Win32ControlPeer::setText(const std::string& text) {
  if (!hasCaption(definition_.kind)) return;
  std::string shown = definition_.kind == ControlKind::EditBox ? withCrLf(text) : text;
  SetWindowTextW(window_, wide(shown).c_str());
  if (definition_.kind == ControlKind::TransparentLabel) redrawBehind();
}

std::string Win32ControlPeer::text() const {
  if (definition_.kind == ControlKind::ComboBox) return itemText(selectedIndex());
  if (!hasCaption(definition_.kind)) return {};
  return narrow(windowText(window_));
}

std::u16string Win32ControlPeer::wideText() const {
  if (definition_.kind == ControlKind::ComboBox) return itemTextWide(selectedIndex());
  if (!hasCaption(definition_.kind)) return cp936::toUtf16(text());
  std::wstring wide = windowText(window_);
  return std::u16string(wide.begin(), wide.end());
}

void Win32ControlPeer::setVisible(bool visible) {
  ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

// The control's own flag: its form is still hidden while it starts.
bool Win32ControlPeer::visible() const {
  return (GetWindowLongPtrW(window_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32ControlPeer::setEnabled(bool enabled) { EnableWindow(window_, enabled); }

bool Win32ControlPeer::enabled() const { return IsWindowEnabled(window_); }

int Win32ControlPeer::comboDropHeight() const {
  return definition_.kind == ControlKind::ComboBox ? form_.scaled(kComboDropHeight) : 0;
}

void Win32ControlPeer::applyFont() {
  FontDef font = definition_.font;
  if (definition_.kind == ControlKind::StatusBar && font.face.empty()) font.face = "SimSun";
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(font, form_.dpi())), TRUE);
}

void Win32ControlPeer::rescale(int oldDpi, int newDpi) {
  Rect r = requested_;
  // The form's DPI is already the new one; places are scaled from where they stand, so a
  // control the program has moved keeps its place relative to the others.
  setBounds({MulDiv(r.left, newDpi, oldDpi), MulDiv(r.top, newDpi, oldDpi),
             MulDiv(r.width, newDpi, oldDpi), MulDiv(r.height, newDpi, oldDpi)});
  applyFont();
  if (definition_.kind == ControlKind::StatusBar) applySectionWidths();
  if (definition_.kind == ControlKind::ListView) {
    for (int column = 0; column < columnCount(); ++column) {
      int width = int(SendMessageW(window_, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
      SendMessageW(window_, LVM_SETCOLUMNWIDTH, WPARAM(column),
                   LPARAM(MulDiv(width, newDpi, oldDpi)));
    }
  }
}

void Win32ControlPeer::setBounds(Rect bounds) {
  requested_ = bounds;
  int height = bounds.height + comboDropHeight();
  MoveWindow(window_, bounds.left, bounds.top, bounds.width, height, TRUE);
  if (definition_.kind == ControlKind::DrawingPanel) resizeCanvas();
}

Rect Win32ControlPeer::bounds() const {
  RECT r{};
  GetWindowRect(window_, &r);
  MapWindowPoints(nullptr, GetParent(window_), reinterpret_cast<POINT*>(&r), 2);
  int height =
      definition_.kind == ControlKind::ComboBox ? requested_.height : int(r.bottom - r.top);
  return {r.left, r.top, r.right - r.left, height};
}

// ---- Check boxes and radio buttons ----

void Win32ControlPeer::setChecked(bool checked) {
  SendMessageW(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (definition_.kind == ControlKind::RadioButton) form_.refreshRadioStops(definition_.group);
}

bool Win32ControlPeer::checked() const {
  if (definition_.kind != ControlKind::CheckBox && definition_.kind != ControlKind::RadioButton)
    return false;
  return SendMessageW(window_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// ---- Combo boxes ----

int Win32ControlPeer::addItem(const std::string& text, const std::string& data) {
  return addShownItem(wide(text), data);
}

int Win32ControlPeer::addItemWide(const std::u16string& text, const std::string& data) {
  return addShownItem(std::wstring(text.begin(), text.end()), data);
}

int Win32ControlPeer::addShownItem(const std::wstring& shown, const std::string& data) {
  if (definition_.kind != ControlKind::ComboBox) return -1;
  int index = int(SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str())));
  if (index < 0) return -1;
  itemData_.insert(itemData_.begin() + index, data);
  HDC dc = GetDC(window_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0)));
  SIZE extent{};
  if (GetTextExtentPoint32W(dc, shown.c_str(), int(shown.size()), &extent)) {
    widestItem_ = std::max(widestItem_, int(extent.cx));
  }
  SelectObject(dc, old);
  ReleaseDC(window_, dc);
  fitDropDownWidth();
  return index;
}

void Win32ControlPeer::clearItems() {
  if (definition_.kind != ControlKind::ComboBox) return;
  SendMessageW(window_, CB_RESETCONTENT, 0, 0);
  itemData_.clear();
  widestItem_ = 0;
  fitDropDownWidth();
}

// The drop-down list shows the longest name whole: as wide as the box, or as the widest item
// with the list's margins and scroll bar, but never wider than the screen.
void Win32ControlPeer::fitDropDownWidth() {
  constexpr int kItemMargins = 8;
  int width = requested_.width;
  if (widestItem_ > 0) {
    width = std::max(width, widestItem_ + kItemMargins + 2 * GetSystemMetrics(SM_CXEDGE) +
                                GetSystemMetrics(SM_CXVSCROLL));
  }
  width = std::min(width, GetSystemMetrics(SM_CXSCREEN));
  SendMessageW(window_, CB_SETDROPPEDWIDTH, WPARAM(width), 0);
}

int Win32ControlPeer::itemCount() const {
  if (definition_.kind != ControlKind::ComboBox) return 0;
  return int(SendMessageW(window_, CB_GETCOUNT, 0, 0));
}

std::string Win32ControlPeer::itemText(int index) const {
  const std::u16string text = itemTextWide(index);
  return narrow(std::wstring(text.begin(), text.end()));
}

std::u16string Win32ControlPeer::itemTextWide(int index) const {
  if (definition_.kind != ControlKind::ComboBox || index < 0 || index >= itemCount()) return {};
  std::wstring text(SendMessageW(window_, CB_GETLBTEXTLEN, index, 0) + 1, L'\0');
  auto length = SendMessageW(window_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length < 0 ? 0 : std::size_t(length));
  return std::u16string(text.begin(), text.end());
}

std::string Win32ControlPeer::itemData(int index) const {
  if (index < 0 || index >= int(itemData_.size())) return {};
  return itemData_[std::size_t(index)];
}

// ---- Status bars ----

void Win32ControlPeer::applySectionWidths() {
  std::vector<int> rightEdges;
  int edge = 0;
  for (const SectionDef& section : definition_.sections) {
    if (section.width < 0) {
      rightEdges.push_back(-1);
      break;
    }
    edge += form_.scaled(section.width);
    rightEdges.push_back(edge);
  }
  if (rightEdges.empty()) rightEdges.push_back(-1);
  SendMessageW(window_, SB_SETPARTS, rightEdges.size(),
               reinterpret_cast<LPARAM>(rightEdges.data()));
}

void Win32ControlPeer::setSectionText(int section, const std::string& text) {
  if (definition_.kind != ControlKind::StatusBar) return;
  SendMessageW(window_, SB_SETTEXTW, WPARAM(section), reinterpret_cast<LPARAM>(wide(text).c_str()));
}

std::string Win32ControlPeer::sectionText(int section) const {
  if (definition_.kind != ControlKind::StatusBar) return {};
  std::wstring text(LOWORD(SendMessageW(window_, SB_GETTEXTLENGTHW, section, 0)) + 1, L'\0');
  auto length =
      LOWORD(SendMessageW(window_, SB_GETTEXTW, section, reinterpret_cast<LPARAM>(text.data())));
  text.resize(length);
  return narrow(text);
}

// ---- Sliders and progress bars ----

void Win32ControlPeer::setRange(int minimum, int maximum) {
  if (definition_.kind == ControlKind::Slider) {
    SendMessageW(window_, TBM_SETRANGEMIN, FALSE, minimum);
    SendMessageW(window_, TBM_SETRANGEMAX, TRUE, maximum);
  } else if (definition_.kind == ControlKind::ProgressBar) {
    SendMessageW(window_, PBM_SETRANGE32, WPARAM(minimum), LPARAM(maximum));
  }
}

void Win32ControlPeer::setSteps(int lineStep, int pageStep) {
  if (definition_.kind != ControlKind::Slider) return;
  SendMessageW(window_, TBM_SETLINESIZE, 0, lineStep);
  SendMessageW(window_, TBM_SETPAGESIZE, 0, pageStep);
}

void Win32ControlPeer::setPosition(int position) {
  if (definition_.kind == ControlKind::Slider) SendMessageW(window_, TBM_SETPOS, TRUE, position);
  if (definition_.kind == ControlKind::ProgressBar)
    SendMessageW(window_, PBM_SETPOS, WPARAM(position), 0);
}

int Win32ControlPeer::position() const {
  if (definition_.kind == ControlKind::Slider) return int(SendMessageW(window_, TBM_GETPOS, 0, 0));
  if (definition_.kind == ControlKind::ProgressBar)
    return int(SendMessageW(window_, PBM_GETPOS, 0, 0));
  return 0;
}

}  // namespace ui::win32
