#include "ui/win32/fonts.h"

#include <map>
#include <string>
#include <tuple>

#include "ui/win32/wide_text.h"

namespace ui::win32 {
namespace {

// Tried in order when the named face is missing.
constexpr const wchar_t* kCjkFallbacks[] = {L"SimSun",           L"\x5B8B\x4F53" /* 宋体 */,
                                            L"Microsoft YaHei",  L"WenQuanYi Micro Hei",
                                            L"Noto Sans CJK SC", L"Droid Sans Fallback"};

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool installed(const std::wstring& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  face.copy(query.lfFaceName, face.size());
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &query, noteFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

std::wstring resolveFace(const std::wstring& wanted) {
  static std::map<std::wstring, std::wstring> resolved;
  auto it = resolved.find(wanted);
  if (it != resolved.end()) return it->second;
  std::wstring face = wanted;
  if (!installed(face)) {
    face.clear();
    for (const wchar_t* candidate : kCjkFallbacks) {
      if (installed(candidate)) {
        face = candidate;
        break;
      }
    }
  }
  resolved[wanted] = face;
  return face;
}

}  // namespace

HFONT fontFor(const FontDef& wanted, int dpi) {
  static std::map<std::tuple<std::wstring, int, bool, int>, HFONT> fonts;
  std::wstring face = resolveFace(wideFromUtf8(wanted.face));
  auto key = std::make_tuple(face, wanted.pointSize, wanted.bold, dpi);
  if (auto it = fonts.find(key); it != fonts.end()) return it->second;
  LOGFONTW font{};
  font.lfHeight = -MulDiv(wanted.pointSize, dpi, 72);
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  face.copy(font.lfFaceName, std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
  HFONT created = CreateFontIndirectW(&font);
  fonts[key] = created;
  return created;
}

}  // namespace ui::win32
