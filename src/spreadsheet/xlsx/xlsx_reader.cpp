#include "spreadsheet/xlsx/xlsx_reader.h"

#include <new>

#include "spreadsheet/xlsx/package.h"
#include "spreadsheet/xlsx/parts.h"

namespace xlsx {
namespace {

const Relationship* findByType(const std::vector<Relationship>& relationships,
                               std::string_view kind) {
  for (const auto& relationship : relationships)
    if (isRelationshipType(relationship.type, kind)) return &relationship;
  return nullptr;
}

const Relationship* findById(const std::vector<Relationship>& relationships, std::string_view id) {
  for (const auto& relationship : relationships)
    if (relationship.id == id) return &relationship;
  return nullptr;
}

bool readPackage(std::string_view bytes, xlmodel::Workbook& book, std::string& error) {
  if (bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
    error = "not an .xlsx package but an OLE compound file (an encrypted workbook or an .xls)";
    return false;
  }
  ZipArchive zip;
  if (!zip.open(bytes, error)) return false;

  std::vector<Relationship> packageRelationships;
  if (!readRelationships(zip, "", packageRelationships, error)) return false;
  std::string workbookName = "xl/workbook.xml";
  if (auto* office = findByType(packageRelationships, "officeDocument"))
    workbookName = office->target;
  const ZipEntry* workbookEntry = zip.find(workbookName);
  if (!workbookEntry) {
    error = "no workbook part in the package";
    return false;
  }

  WorkbookPart workbook;
  if (!readWorkbookPart(zip, *workbookEntry, workbook, error)) return false;
  if (workbook.sheets.empty()) {
    error = "the workbook lists no sheets";
    return false;
  }
  book.date1904 = workbook.date1904;

  // Damaged workbook relationships are read past: the parts then go by their usual names.
  std::vector<Relationship> relationships;
  std::string ignored;
  if (!readRelationships(zip, workbookName, relationships, ignored)) relationships.clear();
  auto partFor = [&](std::string_view kind, std::string_view fallback) -> const ZipEntry* {
    if (auto* relationship = findByType(relationships, kind)) return zip.find(relationship->target);
    return zip.find(resolvePartName(workbookName, fallback));
  };
  if (auto* styles = partFor("styles", "styles.xml"))
    if (!readStylesPart(zip, *styles, book, error)) return false;
  if (auto* strings = partFor("sharedStrings", "sharedStrings.xml"))
    if (!readSharedStringsPart(zip, *strings, book, error)) return false;
  const std::size_t sharedCount = book.strings.size();

  for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
    xlmodel::Sheet sheet;
    sheet.name = std::move(workbook.sheets[i].name);
    // Chart sheets and sheets whose part is missing stay empty, keeping the sheet order.
    const ZipEntry* part = nullptr;
    if (auto* relationship = findById(relationships, workbook.sheets[i].relationshipId)) {
      if (isRelationshipType(relationship->type, "worksheet"))
        part = zip.find(relationship->target);
    } else {
      part = zip.find(
          resolvePartName(workbookName, "worksheets/sheet" + std::to_string(i + 1) + ".xml"));
    }
    if (part && !readSheetPart(zip, *part, sharedCount, book, sheet, error)) return false;
    book.sheets.push_back(std::move(sheet));
  }
  book.activeSheet = workbook.activeTab < book.sheets.size() ? workbook.activeTab : 0;
  return true;
}

}  // namespace

bool readWorkbook(std::string_view bytes, xlmodel::Workbook& book, std::string& error) {
  book = {};
  try {
    if (readPackage(bytes, book, error)) return true;
  } catch (const std::bad_alloc&) {
    error = "not enough memory to read the workbook";
  } catch (...) {
    error = "the workbook could not be read";
  }
  book = {};
  return false;
}

}  // namespace xlsx
