#include "screen_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace screentext {
namespace {

constexpr int kPageMargin = 20;

std::u32string decodeUtf8(std::string_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (i + std::size_t(length) > text.size()) length = 1;
    char32_t value = length == 1 ? c : c & (0x7F >> length);
    for (int k = 1; k < length; ++k) value = value << 6 | (text[i + k] & 0x3F);
    out += value;
    i += std::size_t(length);
  }
  return out;
}

bool isWordChar(char32_t c) { return c < 0x2E80 && c != U' ' && c != U'\n'; }

void putLittle(std::string& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out += char(value >> (8 * i) & 0xFF);
}

}  // namespace

struct Renderer::Font {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Font() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

Renderer::Renderer(const std::string& fontPath) : font_(std::make_unique<Font>()) {
  if (FT_Init_FreeType(&font_->library) != 0) return;
  if (FT_New_Face(font_->library, fontPath.c_str(), 0, &font_->face) != 0) font_->face = nullptr;
}

Renderer::~Renderer() = default;

bool Renderer::ready() const { return font_->face != nullptr; }

Page Renderer::render(std::string_view utf8, int pixelSize, int textWidth, Scheme scheme,
                      int maxLines) {
  Page page;
  if (!ready()) return page;
  FT_Face face = font_->face;
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
  auto advanceOf = [&](char32_t c) {
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) != 0) return 0;
    return int(face->glyph->advance.x >> 6);
  };

  // White space as a browser shows it; characters the font lacks are left out.
  std::u32string text;
  for (char32_t c : decodeUtf8(utf8)) {
    if (c == U'\r') continue;
    if (c == U'\t' || c == 0x3000 || c == 0xA0) c = U' ';
    if (c == U' ' && (text.empty() || text.back() == U' ' || text.back() == U'\n')) continue;
    if (c != U' ' && c != U'\n' && FT_Get_Char_Index(face, c) == 0) continue;
    text += c;
  }

  // Wrapping: a word of Latin letters and digits moves whole to the next line when it fits there.
  std::vector<std::u32string> lines(1);
  int x = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == U'\n') {
      while (!lines.back().empty() && lines.back().back() == U' ') lines.back().pop_back();
      lines.emplace_back(), x = 0, ++i;
      continue;
    }
    std::size_t end = i + 1;
    if (isWordChar(text[i]))
      while (end < text.size() && isWordChar(text[end])) ++end;
    int width = 0;
    for (std::size_t k = i; k < end; ++k) width += advanceOf(text[k]);
    if (x + width > textWidth && x > 0 && width <= textWidth) {
      while (!lines.back().empty() && lines.back().back() == U' ') lines.back().pop_back();
      lines.emplace_back(), x = 0;
      if (text[i] == U' ') {
        ++i;
        continue;
      }
    }
    for (std::size_t k = i; k < end; ++k) {
      const int advance = advanceOf(text[k]);
      if (x + advance > textWidth && x > 0) lines.emplace_back(), x = 0;
      if (x == 0 && text[k] == U' ') continue;
      lines.back() += text[k];
      x += advance;
    }
    i = end;
  }
  lines.erase(std::remove_if(lines.begin(), lines.end(),
                             [](const std::u32string& line) { return line.empty(); }),
              lines.end());
  if (int(lines.size()) > maxLines) lines.resize(std::size_t(maxLines));

  const int lineHeight = int(std::lround(pixelSize * 1.5));
  const int ascender = int(face->size->metrics.ascender >> 6);
  const int descender = int(-face->size->metrics.descender >> 6);
  const int baselineInSlot = (lineHeight - (ascender + descender)) / 2 + ascender;
  page.width = textWidth + 2 * kPageMargin;
  page.height = int(lines.size()) * lineHeight + 2 * kPageMargin;
  page.rgb.resize(std::size_t(page.width) * std::size_t(page.height) * 3);
  for (std::size_t i = 0; i < page.rgb.size(); i += 3)
    page.rgb[i] = scheme.paper.red, page.rgb[i + 1] = scheme.paper.green,
    page.rgb[i + 2] = scheme.paper.blue;

  for (std::size_t n = 0; n < lines.size(); ++n) {
    Line line;
    line.text = lines[n];
    line.slot.top = kPageMargin + int(n) * lineHeight;
    line.slot.bottom = line.slot.top + lineHeight;
    line.slot.left = kPageMargin;
    int penX = kPageMargin;
    const int baseline = line.slot.top + baselineInSlot;
    for (char32_t c : line.text) {
      if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
      const FT_GlyphSlot glyph = face->glyph;
      const FT_Bitmap& bitmap = glyph->bitmap;
      for (unsigned row = 0; row < bitmap.rows; ++row)
        for (unsigned column = 0; column < bitmap.width; ++column) {
          const int px = penX + glyph->bitmap_left + int(column);
          const int py = baseline - glyph->bitmap_top + int(row);
          if (px < 0 || py < 0 || px >= page.width || py >= page.height) continue;
          const int alpha = bitmap.buffer[row * unsigned(bitmap.pitch) + column];
          std::uint8_t* pixel = &page.rgb[(std::size_t(py) * std::size_t(page.width) + px) * 3];
          const Colour ink = scheme.ink;
          const std::uint8_t inks[3] = {ink.red, ink.green, ink.blue};
          for (int k = 0; k < 3; ++k)
            pixel[k] = std::uint8_t((pixel[k] * (255 - alpha) + inks[k] * alpha + 127) / 255);
        }
      penX += int(glyph->advance.x >> 6);
    }
    line.slot.right = penX;
    page.lines.push_back(std::move(line));
  }
  return page;
}

std::string bmpOf(const Page& page, Rect area) {
  area.left = std::clamp(area.left, 0, page.width),
  area.right = std::clamp(area.right, 0, page.width);
  area.top = std::clamp(area.top, 0, page.height);
  area.bottom = std::clamp(area.bottom, 0, page.height);
  const int width = std::max(0, area.right - area.left),
            height = std::max(0, area.bottom - area.top);
  const std::uint32_t stride = (std::uint32_t(width) * 3 + 3) / 4 * 4;
  std::string out = "BM";
  putLittle(out, 54 + stride * std::uint32_t(height), 4);
  putLittle(out, 0, 4);
  putLittle(out, 54, 4);
  putLittle(out, 40, 4);
  putLittle(out, std::uint32_t(width), 4);
  putLittle(out, std::uint32_t(height), 4);
  putLittle(out, 1, 2);
  putLittle(out, 24, 2);
  putLittle(out, 0, 4);
  putLittle(out, stride * std::uint32_t(height), 4);
  putLittle(out, 2835, 4);
  putLittle(out, 2835, 4);
  putLittle(out, 0, 4);
  putLittle(out, 0, 4);
  for (int y = area.bottom - 1; y >= area.top; --y) {
    std::string row;
    for (int x = area.left; x < area.right; ++x) {
      const std::uint8_t* pixel = &page.rgb[(std::size_t(y) * std::size_t(page.width) + x) * 3];
      row += char(pixel[2]), row += char(pixel[1]), row += char(pixel[0]);
    }
    row.resize(stride, '\0');
    out += row;
  }
  return out;
}

std::string utf8Of(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | c >> 6), out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | c >> 12), out += char(0x80 | (c >> 6 & 0x3F)),
          out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | c >> 18), out += char(0x80 | (c >> 12 & 0x3F)),
          out += char(0x80 | (c >> 6 & 0x3F)), out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace screentext
