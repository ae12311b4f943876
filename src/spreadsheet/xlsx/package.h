// The package layer of an .xlsx workbook: relationships between parts, part names, and
// streaming a part through the XML tokenizer.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/xlsx/xml_tokenizer.h"
#include "spreadsheet/xlsx/zip_archive.h"

namespace xlsx {

struct Relationship {
  std::string id;
  std::string type;    // full type URI (Transitional or Strict)
  std::string target;  // part name resolved against the source part, without leading '/'
};

// True when a relationship type URI ends with "/" + kind ("officeDocument", "worksheet"...),
// which covers both the Transitional and the Strict namespaces.
bool isRelationshipType(std::string_view type, std::string_view kind);

// Resolves a relationship target against the folder of the part that owns it.
std::string resolvePartName(std::string_view sourcePart, std::string_view target);

// The relationships of `sourcePart` ("" for the package itself). A missing relationships part
// gives an empty list; a damaged one fails.
bool readRelationships(const ZipArchive& zip, std::string_view sourcePart,
                       std::vector<Relationship>& out, std::string& error);

// Inflates a part and feeds it to `handler` as it comes, with the part size capped.
bool parseXmlPart(const ZipArchive& zip, const ZipEntry& entry, std::uint64_t maxBytes,
                  XmlHandler& handler, std::string& error);

}  // namespace xlsx
