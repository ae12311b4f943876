// Text drawn as a screen shows it, for the recognition tests and benchmark: a page of wrapped
// lines in a CJK font at a pixel size, anti-aliased, in a colour scheme, and a rectangle of it
// cut out as a BMP file, as the screenshot overlay stores a selection.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace screentext {

struct Colour {
  std::uint8_t red, green, blue;
};
struct Scheme {
  Colour ink, paper;
};
inline constexpr Scheme kBlackOnWhite{{0, 0, 0}, {255, 255, 255}};
inline constexpr Scheme kWhiteOnDark{{230, 230, 230}, {30, 32, 36}};

// A Chinese font every machine of ours has (fonts-wqy-microhei).
inline constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

struct Line {
  std::u32string text;  // the characters drawn, spaces included
  Rect slot;            // the line's full height, from the left margin to its last character
};

struct Page {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // 3 bytes a pixel, top row first
  std::vector<Line> lines;
};

class Renderer {
 public:
  explicit Renderer(const std::string& fontPath = kDefaultFont);
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  bool ready() const;

  // Draws UTF-8 text as a web page would: line breaks kept, other runs of white space shown
  // as one space, lines wrapped at `textWidth` pixels (between words, or anywhere in Chinese
  // text), at most `maxLines` lines, line spacing 1.5, a margin of 20 pixels.
  Page render(std::string_view utf8, int pixelSize, int textWidth, Scheme scheme,
              int maxLines = 1000);

 private:
  struct Font;
  std::unique_ptr<Font> font_;
};

// A 24-bit BMP file of a rectangle of the page (clipped to it).
std::string bmpOf(const Page& page, Rect area);

// UTF-32 to UTF-8.
std::string utf8Of(std::u32string_view text);

}  // namespace screentext
