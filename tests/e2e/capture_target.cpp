// Another program beside Quorvix for the capture tests: a window with a line of text to drag
// over and a painted pattern to cut out. Started with --hold-f4 it holds F4 as its own hotkey,
// as a program that takes F4 first does. WM_APP repaints the pattern in other colours. Started
// with --question it shows, where the pattern would be, a question of the test bank as a quiz
// page shows it: black on white in a CJK font, for recognition to read. With --questions it
// shows the first of a few such questions, and WM_APP + 1 moves on to the next, as a timed quiz
// does.
#include <windows.h>

#include <cwchar>

namespace {

constexpr wchar_t kClass[] = L"QuorvixCaptureTarget";
constexpr int kPatternLeft = 20, kPatternTop = 100, kPatternWidth = 560, kPatternHeight = 180;
bool inverted = false;
bool showQuestion = false;
constexpr const wchar_t* kQuestions[] = {L"长江流经哪些省份？", L"水的化学式是什么？",
                                         L"法国的首都是哪里？", L"中国的首都是哪里？"};
int questionShown = 0;

COLORREF patternColor(int x, int y) {
  int r = (x * 5) & 0xFF, g = (y * 3) & 0xFF, b = ((x / 16 + y / 16) % 2) ? 0xC0 : 0x30;
  return inverted ? RGB(255 - r, 255 - g, 255 - b) : RGB(r, g, b);
}

void paintPattern(HDC dc) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = kPatternWidth;
  info.bmiHeader.biHeight = -kPatternHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  static DWORD pixels[kPatternWidth * kPatternHeight];
  for (int y = 0; y < kPatternHeight; ++y) {
    for (int x = 0; x < kPatternWidth; ++x) {
      COLORREF c = patternColor(x, y);
      pixels[y * kPatternWidth + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  }
  SetDIBitsToDevice(dc, kPatternLeft, kPatternTop, kPatternWidth, kPatternHeight, 0, 0, 0,
                    kPatternHeight, pixels, &info, DIB_RGB_COLORS);
}

void paintQuestion(HDC dc) {
  RECT area{kPatternLeft, kPatternTop, kPatternLeft + kPatternWidth, kPatternTop + kPatternHeight};
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HFONT font = CreateFontW(44, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0,
                           ANTIALIASED_QUALITY, 0, L"WenQuanYi Micro Hei");
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, kQuestions[questionShown], -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (showQuestion)
        paintQuestion(dc);
      else
        paintPattern(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_APP:
      inverted = !inverted;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_APP + 1:
      questionShown = (questionShown + 1) % int(sizeof(kQuestions) / sizeof(kQuestions[0]));
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, w, l);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  showQuestion = std::wcsstr(arguments, L"--question") != nullptr;  // --questions too
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClass;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, kClass, L"CaptureTarget", WS_POPUP | WS_BORDER, 100, 100, 600,
                                300, nullptr, nullptr, instance, nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"中国的首都", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 20,
                              20, 560, 48, window, nullptr, instance, nullptr);
  HFONT font = CreateFontW(40, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0,
                           L"WenQuanYi Micro Hei");
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (std::wcsstr(arguments, L"--hold-f4")) {
    bool held = RegisterHotKey(window, 7, 0, VK_F4);
    SetWindowTextW(window, held ? L"CaptureTarget F4 held" : L"CaptureTarget F4 refused");
  }
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
