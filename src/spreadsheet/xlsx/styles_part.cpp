#include <charconv>

#include "spreadsheet/xlsx/package.h"
#include "spreadsheet/xlsx/parts.h"

namespace xlsx {
namespace {

constexpr std::uint64_t kMaxStylesPart = 64u << 20;
constexpr std::size_t kMaxStyleRecords = 1u << 20;

std::uint32_t toUnsigned(const XmlAttribute* attribute) {
  std::uint32_t value = 0;
  if (attribute)
    std::from_chars(attribute->value.data(), attribute->value.data() + attribute->value.size(),
                    value);
  return value;
}

bool flagOn(const std::vector<XmlAttribute>& attributes) {
  auto* value = findAttribute(attributes, "val");
  return !value || !(value->value == "0" || value->value == "false");
}

class StylesHandler : public XmlHandler {
 public:
  explicit StylesHandler(xlmodel::Workbook& book) : book_(book) {}

  void startElement(std::string_view name, const std::vector<XmlAttribute>& attributes) override {
    if (name == "numFmts" || name == "fonts" || name == "cellXfs") {
      section_ = name;
    } else if (section_ == "numFmts" && name == "numFmt") {
      auto* code = findAttribute(attributes, "formatCode");
      std::u16string text;
      if (code) appendXmlText(code->value, text);
      book_.numFormats[toUnsigned(findAttribute(attributes, "numFmtId"))] = std::move(text);
    } else if (section_ == "fonts") {
      readFontElement(name, attributes);
    } else if (section_ == "cellXfs" && name == "xf" && book_.xfs.size() < kMaxStyleRecords) {
      xlmodel::Xf xf;
      xf.numFmtId = toUnsigned(findAttribute(attributes, "numFmtId"));
      xf.font = toUnsigned(findAttribute(attributes, "fontId"));
      book_.xfs.push_back(xf);
    }
  }
  void endElement(std::string_view name) override {
    if (name == section_) section_.clear();
  }
  void text(std::string_view, bool) override {}

 private:
  void readFontElement(std::string_view name, const std::vector<XmlAttribute>& attributes) {
    if (name == "font") {
      if (book_.fonts.size() < kMaxStyleRecords) book_.fonts.emplace_back();
      return;
    }
    if (book_.fonts.empty()) return;
    auto& font = book_.fonts.back();
    if (name == "name") {
      font.name.clear();
      if (auto* value = findAttribute(attributes, "val")) appendXmlText(value->value, font.name);
    } else if (name == "sz") {
      if (auto* value = findAttribute(attributes, "val"))
        std::from_chars(value->value.data(), value->value.data() + value->value.size(), font.size);
    } else if (name == "b") {
      font.bold = flagOn(attributes);
    } else if (name == "i") {
      font.italic = flagOn(attributes);
    } else if (name == "color") {
      if (auto* rgb = findAttribute(attributes, "rgb")) {
        std::uint32_t argb = 0;
        std::from_chars(rgb->value.data(), rgb->value.data() + rgb->value.size(), argb, 16);
        font.color = argb & 0xFFFFFF;  // the model keeps 0xRRGGBB
      }
    }
  }

  xlmodel::Workbook& book_;
  std::string section_;
};

}  // namespace

bool readStylesPart(const ZipArchive& zip, const ZipEntry& entry, xlmodel::Workbook& book,
                    std::string& error) {
  StylesHandler handler(book);
  return parseXmlPart(zip, entry, kMaxStylesPart, handler, error);
}

}  // namespace xlsx
