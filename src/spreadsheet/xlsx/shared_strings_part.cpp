#include "spreadsheet/xlsx/package.h"
#include "spreadsheet/xlsx/parts.h"

namespace xlsx {
namespace {

constexpr std::uint64_t kMaxSharedStringsPart = 512u << 20;

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Collects the text of each <si>: its <t>, or the <t> of its rich runs <r>; phonetic
// guides (<rPh>) are not part of the cell's text.
class SharedStringsHandler : public XmlHandler {
 public:
  SharedStringsHandler(xlmodel::Workbook& book, Budget& budget) : book_(book), budget_(budget) {}

  void startElement(std::string_view name, const std::vector<XmlAttribute>&) override {
    if (name == "si") {
      inItem_ = true;
      current_.clear();
    } else if (name == "rPh") {
      ++phonetic_;
    } else if (name == "t" && inItem_ && phonetic_ == 0) {
      inText_ = true;
    }
  }
  void endElement(std::string_view name) override {
    if (name == "t") {
      inText_ = false;
    } else if (name == "rPh") {
      if (phonetic_ > 0) --phonetic_;
    } else if (name == "si" && inItem_) {
      inItem_ = false;
      decodeEscapedCharacters(current_);
      if (current_.size() > kMaxTextLength) return fail("shared string longer than a cell holds");
      if (book_.strings.size() >= kMaxCells) return fail("too many shared strings");
      if (current_.size() > budget_.textUnits)
        return fail("the workbook's texts are larger than a workbook may hold");
      budget_.textUnits -= current_.size();
      book_.strings.emplace_back(current_);  // a copy, sized to fit
    }
  }
  void text(std::string_view raw, bool cdata) override {
    if (!inText_) return;
    if (cdata)
      appendUtf8(raw, current_);
    else
      appendXmlText(raw, current_);
    // Escapes shrink six units to one, so allow for them before refusing.
    if (current_.size() > 6 * kMaxTextLength) fail("shared string longer than a cell holds");
  }

 private:
  xlmodel::Workbook& book_;
  Budget& budget_;
  std::u16string current_;
  bool inItem_ = false;
  bool inText_ = false;
  int phonetic_ = 0;
};

}  // namespace

void decodeEscapedCharacters(std::u16string& text) {
  if (text.find(u"_x") == std::u16string::npos) return;
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
      int value = 0;
      bool hex = true;
      for (std::size_t k = i + 2; k < i + 6 && hex; ++k) {
        int digit = hexDigit(text[k]);
        hex = digit >= 0;
        value = value * 16 + digit;
      }
      if (hex) {
        // A NUL would end the text where the library hands it out: it is left out instead.
        if (value != 0) out += static_cast<char16_t>(value);
        i += 6;
        continue;
      }
    }
    out += text[i];
  }
  text = std::move(out);
}

bool readSharedStringsPart(const ZipArchive& zip, const ZipEntry& entry, xlmodel::Workbook& book,
                           Budget& budget, std::string& error) {
  SharedStringsHandler handler(book, budget);
  return parseXmlPart(zip, entry, kMaxSharedStringsPart, handler, error);
}

}  // namespace xlsx
