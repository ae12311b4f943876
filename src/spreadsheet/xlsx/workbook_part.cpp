#include "spreadsheet/xlsx/package.h"
#include "spreadsheet/xlsx/parts.h"

namespace xlsx {
namespace {

constexpr std::uint64_t kMaxWorkbookPart = 64u << 20;
constexpr std::size_t kMaxSheets = 65535;

bool isTrue(std::string_view value) { return value == "1" || value == "true"; }

class WorkbookHandler : public XmlHandler {
 public:
  explicit WorkbookHandler(WorkbookPart& out) : out_(out) {}

  void startElement(std::string_view name, const std::vector<XmlAttribute>& attributes) override {
    if (name == "workbookPr") {
      if (auto* value = findAttribute(attributes, "date1904")) out_.date1904 = isTrue(value->value);
    } else if (name == "workbookView" && !sawView_) {
      sawView_ = true;
      if (auto* tab = findAttribute(attributes, "activeTab")) {
        unsigned value = 0;
        for (char c : tab->value) {
          if (c < '0' || c > '9' || value > 100000) break;
          value = value * 10 + static_cast<unsigned>(c - '0');
        }
        out_.activeTab = value;
      }
    } else if (name == "sheet" && out_.sheets.size() < kMaxSheets) {
      SheetEntry sheet;
      if (auto* sheetName = findAttribute(attributes, "name"))
        appendXmlText(sheetName->value, sheet.name);
      if (auto* id = findAttribute(attributes, "id"))
        sheet.relationshipId = decodeXmlEntities(id->value);
      out_.sheets.push_back(std::move(sheet));
    }
  }
  void endElement(std::string_view) override {}
  void text(std::string_view, bool) override {}

 private:
  WorkbookPart& out_;
  bool sawView_ = false;
};

}  // namespace

bool readWorkbookPart(const ZipArchive& zip, const ZipEntry& entry, WorkbookPart& out,
                      std::string& error) {
  WorkbookHandler handler(out);
  return parseXmlPart(zip, entry, kMaxWorkbookPart, handler, error);
}

}  // namespace xlsx
