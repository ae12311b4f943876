// Picture boxes and drawing panels: a window class of our own that paints a bitmap. A picture
// box shows its picture at the top left, or stretched over the box; a drawing panel keeps what
// it shows in an off-screen bitmap (paper, then the background picture, then the drawings), so
// copies and snapshots read exactly what the user sees.

#include <optional>
#include <vector>

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
        peer->paintCanvas(dc, paint.rcPaint);
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

}  // namespace

HDC Win32ControlPeer::BitmapDc::of(HBITMAP bitmap) {
  if (dc && held == bitmap) return dc;
  release();
  HDC screen = GetDC(nullptr);
  dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  held = bitmap;
  previous = SelectObject(dc, bitmap);
  return dc;
}

void Win32ControlPeer::BitmapDc::release() {
  if (!dc) return;
  SelectObject(dc, previous);
  DeleteDC(dc);
  dc = nullptr;
  held = nullptr;
}

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

void Win32ControlPeer::paintCanvas(HDC dc, const RECT& area) const {
  RECT client{};
  GetClientRect(window_, &client);
  HBITMAP shown = definition_.kind == ControlKind::DrawingPanel ? canvas_ : background_;
  if (definition_.kind != ControlKind::DrawingPanel || !shown) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  }
  if (!shown) return;
  if (definition_.kind == ControlKind::DrawingPanel) {
    // Only the area asked for: a full-screen panel repaints a few pixels per mouse move.
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
           canvasDc_.of(canvas_), area.left, area.top, SRCCOPY);
    return;
  }
  SIZE size = bitmapSize(shown);
  HDC picture = backgroundDc_.of(background_);
  if (definition_.stretchPicture) {
    // Whole pixels, as a magnifier shows them.
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, client.right, client.bottom, picture, 0, 0, size.cx, size.cy, SRCCOPY);
    return;
  }
  BitBlt(dc, 0, 0, size.cx, size.cy, picture, 0, 0, SRCCOPY);
}

void Win32ControlPeer::setPicture(const std::string& imageBytes) {
  if (definition_.kind != ControlKind::PictureBox && definition_.kind != ControlKind::DrawingPanel)
    return;
  picture_ = imageBytes;
  backgroundDc_.release();
  if (background_) DeleteObject(background_);
  background_ = decodePicture(imageBytes);
  if (definition_.kind == ControlKind::DrawingPanel) {
    drawnAreas_.reset();
    clear();
  } else {
    InvalidateRect(window_, nullptr, FALSE);
  }
}

void Win32ControlPeer::resizeCanvas() {
  canvasDc_.release();
  if (canvas_) DeleteObject(canvas_);
  RECT client{};
  GetClientRect(window_, &client);
  HDC screen = GetDC(nullptr);
  canvas_ = CreateCompatibleBitmap(screen, std::max<LONG>(1, client.right),
                                   std::max<LONG>(1, client.bottom));
  ReleaseDC(nullptr, screen);
  drawnAreas_.reset();
  clear();
}

void Win32ControlPeer::drawn(RECT area) {
  constexpr std::size_t kMostAreasKept = 64;
  if (drawnAreas_ && drawnAreas_->size() < kMostAreasKept) {
    drawnAreas_->push_back(area);
  } else {
    drawnAreas_.reset();
  }
  InvalidateRect(window_, &area, FALSE);
}

void Win32ControlPeer::clear() {
  if (definition_.kind != ControlKind::DrawingPanel || !canvas_) return;
  SIZE size = bitmapSize(canvas_);
  std::vector<RECT> areas = drawnAreas_.value_or(std::vector<RECT>{{0, 0, size.cx, size.cy}});
  HDC memory = canvasDc_.of(canvas_);
  HBRUSH paper = CreateSolidBrush(kPaper);
  for (const RECT& area : areas) FillRect(memory, &area, paper);
  DeleteObject(paper);
  if (background_) {
    HDC source = backgroundDc_.of(background_);
    for (const RECT& area : areas) {
      BitBlt(memory, area.left, area.top, area.right - area.left, area.bottom - area.top, source,
             area.left, area.top, SRCCOPY);
    }
  }
  if (drawnAreas_) {
    for (const RECT& area : areas) InvalidateRect(window_, &area, FALSE);
  } else {
    InvalidateRect(window_, nullptr, FALSE);
  }
  drawnAreas_.emplace();
}

void Win32ControlPeer::drawRectangle(Point from, Point to) {
  if (definition_.kind != ControlKind::DrawingPanel || !canvas_) return;
  HDC memory = canvasDc_.of(canvas_);
  HPEN pen = CreatePen(PS_SOLID, 1, kPen);
  HGDIOBJ oldPen = SelectObject(memory, pen);
  HGDIOBJ oldBrush = SelectObject(memory, GetStockObject(NULL_BRUSH));
  // Both corners are drawn: GDI leaves out the right and bottom edges it is given.
  Rectangle(memory, std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1,
            std::max(from.y, to.y) + 1);
  SelectObject(memory, oldBrush);
  SelectObject(memory, oldPen);
  DeleteObject(pen);
  // The four edges, not the area they enclose.
  LONG left = std::min(from.x, to.x), top = std::min(from.y, to.y);
  LONG right = std::max(from.x, to.x) + 1, bottom = std::max(from.y, to.y) + 1;
  drawn({left, top, right, top + 1});
  drawn({left, bottom - 1, right, bottom});
  drawn({left, top, left + 1, bottom});
  drawn({right - 1, top, right, bottom});
}

void Win32ControlPeer::drawLine(Point from, Point to) {
  if (definition_.kind != ControlKind::DrawingPanel || !canvas_) return;
  HDC memory = canvasDc_.of(canvas_);
  HPEN pen = CreatePen(PS_SOLID, 1, kPen);
  HGDIOBJ oldPen = SelectObject(memory, pen);
  MoveToEx(memory, from.x, from.y, nullptr);
  LineTo(memory, to.x, to.y);
  SetPixel(memory, to.x, to.y, kPen);  // LineTo stops short of its end point
  SelectObject(memory, oldPen);
  DeleteObject(pen);
  drawn({std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1,
         std::max(from.y, to.y) + 1});
}

void Win32ControlPeer::copyFrom(const ControlPeer& source, Rect area, Point to) {
  auto* panel = dynamic_cast<const Win32ControlPeer*>(&source);
  if (definition_.kind != ControlKind::DrawingPanel || !canvas_ || !panel || !panel->canvas_)
    return;
  BitBlt(canvasDc_.of(canvas_), to.x, to.y, area.width, area.height,
         panel->canvasDc_.of(panel->canvas_), area.left, area.top, SRCCOPY);
  drawn({to.x, to.y, to.x + area.width, to.y + area.height});
}

std::string Win32ControlPeer::snapshotBmp() const {
  if (definition_.kind != ControlKind::DrawingPanel) return {};
  canvasDc_.release();  // a bitmap is read whole only while no device context holds it
  return bmpBytes(canvas_);
}

void Win32ControlPeer::update() { UpdateWindow(window_); }

}  // namespace ui::win32
