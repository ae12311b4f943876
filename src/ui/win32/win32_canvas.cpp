// Picture boxes and drawing panels: a window class of our own that paints a bitmap. A picture
// box shows its picture at the top left, or stretched over the box; a drawing panel keeps what
// it shows in an off-screen bitmap (paper, then the background picture, then the drawings), so
// copies and snapshots read exactly what the user sees.

#include "ui/win32/bitmaps.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_peers.h"

namespace ui::win32 {
namespace {

const COLORREF kPaper = RGB(255, 255, 255);
const COLORREF kPen = RGB(255, 0, 0);

LRESULT CALLBACK canvasProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  Win32ControlPeer* peer = Win32ControlPeer::of(window);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (peer) {
        peer->paintCanvas(dc);
      } else {
        FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      SetCapture(window);
      if (peer) {
        peer->mouseEvent(EventType::MouseDown,
                         message == WM_LBUTTONDOWN ? MouseButton::Left : MouseButton::Right, l);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (peer) peer->mouseEvent(EventType::MouseMove, MouseButton::None, l);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      ReleaseCapture();
      if (peer) {
        peer->mouseEvent(EventType::MouseUp,
                         message == WM_LBUTTONUP ? MouseButton::Left : MouseButton::Right, l);
      }
      return 0;
    default:
      return DefWindowProcW(window, message, w, l);
  }
}

// Runs `draw` with a memory device context holding `bitmap`.
template <class Draw>
void drawOn(HBITMAP bitmap, Draw draw) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  draw(memory);
  SelectObject(memory, old);
  DeleteDC(memory);
}

}  // namespace

const wchar_t* canvasClassName() {
  static const wchar_t* name = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = canvasProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = L"QuorvixCanvas";
    RegisterClassExW(&windowClass);
    return L"QuorvixCanvas";
  }();
  return name;
}

void Win32ControlPeer::mouseEvent(EventType type, MouseButton button, LPARAM where) {
  if (definition_.kind != ControlKind::DrawingPanel) return;
  control_.deliver({type, {button, {GET_X_LPARAM(where), GET_Y_LPARAM(where)}}});
}

void Win32ControlPeer::paintCanvas(HDC dc) const {
  RECT client{};
  GetClientRect(window_, &client);
  HBITMAP shown = definition_.kind == ControlKind::DrawingPanel ? canvas_ : background_;
  if (definition_.kind != ControlKind::DrawingPanel || !shown) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  }
  if (!shown) return;
  SIZE size = bitmapSize(shown);
  if (definition_.kind == ControlKind::PictureBox && definition_.stretchPicture) {
    // Whole pixels, as a magnifier shows them.
    SetStretchBltMode(dc, COLORONCOLOR);
    drawOn(shown, [&](HDC memory) {
      StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, size.cx, size.cy, SRCCOPY);
    });
    return;
  }
  drawOn(shown, [&](HDC memory) { BitBlt(dc, 0, 0, size.cx, size.cy, memory, 0, 0, SRCCOPY); });
}

void Win32ControlPeer::setPicture(const std::string& imageBytes) {
  if (definition_.kind != ControlKind::PictureBox && definition_.kind != ControlKind::DrawingPanel)
    return;
  picture_ = imageBytes;
  if (background_) DeleteObject(background_);
  background_ = decodePicture(imageBytes);
  if (definition_.kind == ControlKind::DrawingPanel) {
    clear();
  } else {
    InvalidateRect(window_, nullptr, FALSE);
  }
}

void Win32ControlPeer::resizeCanvas() {
  if (canvas_) DeleteObject(canvas_);
  RECT client{};
  GetClientRect(window_, &client);
  HDC screen = GetDC(nullptr);
  canvas_ = CreateCompatibleBitmap(screen, std::max<LONG>(1, client.right),
                                   std::max<LONG>(1, client.bottom));
  ReleaseDC(nullptr, screen);
  clear();
}

void Win32ControlPeer::clear() {
  if (definition_.kind != ControlKind::DrawingPanel || !canvas_) return;
  SIZE size = bitmapSize(canvas_);
  drawOn(canvas_, [&](HDC memory) {
    RECT all{0, 0, size.cx, size.cy};
    HBRUSH paper = CreateSolidBrush(kPaper);
    FillRect(memory, &all, paper);
    DeleteObject(paper);
    if (!background_) return;
    SIZE picture = bitmapSize(background_);
    drawOn(background_, [&](HDC source) {
      BitBlt(memory, 0, 0, picture.cx, picture.cy, source, 0, 0, SRCCOPY);
    });
  });
  InvalidateRect(window_, nullptr, FALSE);
}

void Win32ControlPeer::drawRectangle(Point from, Point to) {
  if (definition_.kind != ControlKind::DrawingPanel || !canvas_) return;
  drawOn(canvas_, [&](HDC memory) {
    HPEN pen = CreatePen(PS_SOLID, 1, kPen);
    HGDIOBJ oldPen = SelectObject(memory, pen);
    HGDIOBJ oldBrush = SelectObject(memory, GetStockObject(NULL_BRUSH));
    // Both corners are drawn: GDI leaves out the right and bottom edges it is given.
    Rectangle(memory, std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1,
              std::max(from.y, to.y) + 1);
    SelectObject(memory, oldBrush);
    SelectObject(memory, oldPen);
    DeleteObject(pen);
  });
  InvalidateRect(window_, nullptr, FALSE);
}

void Win32ControlPeer::drawLine(Point from, Point to) {
  if (definition_.kind != ControlKind::DrawingPanel || !canvas_) return;
  drawOn(canvas_, [&](HDC memory) {
    HPEN pen = CreatePen(PS_SOLID, 1, kPen);
    HGDIOBJ oldPen = SelectObject(memory, pen);
    MoveToEx(memory, from.x, from.y, nullptr);
    LineTo(memory, to.x, to.y);
    SetPixel(memory, to.x, to.y, kPen);  // LineTo stops short of its end point
    SelectObject(memory, oldPen);
    DeleteObject(pen);
  });
  InvalidateRect(window_, nullptr, FALSE);
}

void Win32ControlPeer::copyFrom(const ControlPeer& source, Rect area, Point to) {
  auto* panel = dynamic_cast<const Win32ControlPeer*>(&source);
  if (definition_.kind != ControlKind::DrawingPanel || !canvas_ || !panel || !panel->canvas_)
    return;
  drawOn(canvas_, [&](HDC memory) {
    drawOn(panel->canvas_, [&](HDC from) {
      BitBlt(memory, to.x, to.y, area.width, area.height, from, area.left, area.top, SRCCOPY);
    });
  });
  InvalidateRect(window_, nullptr, FALSE);
}

std::string Win32ControlPeer::snapshotBmp() const {
  return definition_.kind == ControlKind::DrawingPanel ? bmpBytes(canvas_) : std::string();
}

void Win32ControlPeer::update() { UpdateWindow(window_); }

}  // namespace ui::win32
