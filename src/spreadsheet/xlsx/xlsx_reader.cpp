#include "spreadsheet/xlsx/xlsx_reader.h"

#include <new>
#include <string_view>
#include <unordered_map>

#include "spreadsheet/xl_api.h"
#include "spreadsheet/xls/compound_file.h"
#include "spreadsheet/xls/xls_reader.h"
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

// Relationships by their Id, the first of a repeated Id winning; looked up once per sheet
// entry, of which a workbook may list tens of thousands.
std::unordered_map<std::string_view, const Relationship*> indexById(
    const std::vector<Relationship>& relationships) {
  std::unordered_map<std::string_view, const Relationship*> byId;
  byId.reserve(relationships.size());
  for (const auto& relationship : relationships) byId.emplace(relationship.id, &relationship);
  return byId;
}

// Why bytes that are no ZIP package cannot be read: an encrypted .xlsx comes wrapped in an OLE
// compound file, as an .xls does, and says so by its streams.
std::string notAPackage(std::string_view bytes, const std::string& zipError) {
  if (xls::looksLikeCompoundFile(bytes)) {
    xls::CompoundFile file;
    std::string ignored;
    if (file.open(bytes, ignored) && file.findStream(u"EncryptedPackage") >= 0)
      return "the workbook is encrypted (password protected)";
    return std::string(XL_NOT_XLSX_REASON) + " (an OLE compound file, as an .xls is)";
  }
  // A package starts with a local header (or, empty, with the end record).
  if (bytes.substr(0, 2) == "PK") return zipError;
  return std::string(XL_NOT_XLSX_REASON) + " (not a ZIP package)";
}

bool readPackage(std::string_view bytes, xlmodel::Workbook& book, std::string& error) {
  ZipArchive zip;
  if (xls::looksLikeCompoundFile(bytes) || !zip.open(bytes, error)) {
    error = notAPackage(bytes, error);
    return false;
  }

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
  Budget budget;
  if (auto* strings = partFor("sharedStrings", "sharedStrings.xml"))
    if (!readSharedStringsPart(zip, *strings, book, budget, error)) return false;
  const std::size_t sharedCount = book.strings.size();

  const auto relationshipsById = indexById(relationships);
  for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
    xlmodel::Sheet sheet;
    sheet.name = std::move(workbook.sheets[i].name);
    // Chart sheets and sheets whose part is missing stay empty, keeping the sheet order.
    const ZipEntry* part = nullptr;
    if (auto found = relationshipsById.find(workbook.sheets[i].relationshipId);
        found != relationshipsById.end()) {
      const Relationship* relationship = found->second;
      if (isRelationshipType(relationship->type, "worksheet"))
        part = zip.find(relationship->target);
    } else {
      part = zip.find(
          resolvePartName(workbookName, "worksheets/sheet" + std::to_string(i + 1) + ".xml"));
    }
    if (part && !readSheetPart(zip, *part, sharedCount, book, sheet, budget, error)) return false;
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
