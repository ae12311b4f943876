#include "spreadsheet/xlsx/package.h"

namespace xlsx {
namespace {

constexpr std::uint64_t kMaxRelationshipsPart = 16u << 20;

class RelationshipsHandler : public XmlHandler {
 public:
  RelationshipsHandler(std::string_view sourcePart, std::vector<Relationship>& out)
      : sourcePart_(sourcePart), out_(out) {}

  void startElement(std::string_view name, const std::vector<XmlAttribute>& attributes) override {
    if (name != "Relationship") return;
    auto* mode = findAttribute(attributes, "TargetMode");
    if (mode && mode->value == "External") return;
    auto* id = findAttribute(attributes, "Id");
    auto* type = findAttribute(attributes, "Type");
    auto* target = findAttribute(attributes, "Target");
    if (!id || !type || !target) return;
    out_.push_back({decodeXmlEntities(id->value), decodeXmlEntities(type->value),
                    resolvePartName(sourcePart_, decodeXmlEntities(target->value))});
  }
  void endElement(std::string_view) override {}
  void text(std::string_view, bool) override {}

 private:
  std::string_view sourcePart_;
  std::vector<Relationship>& out_;
};

std::string relationshipsPartOf(std::string_view part) {
  auto slash = part.rfind('/');
  std::string_view folder = slash == std::string_view::npos ? "" : part.substr(0, slash + 1);
  std::string_view file = slash == std::string_view::npos ? part : part.substr(slash + 1);
  return std::string(folder) + "_rels/" + std::string(file) + ".rels";
}

}  // namespace

bool isRelationshipType(std::string_view type, std::string_view kind) {
  return type.size() > kind.size() && type.ends_with(kind) &&
         type[type.size() - kind.size() - 1] == '/';
}

std::string resolvePartName(std::string_view sourcePart, std::string_view target) {
  std::string path(target);
  for (char& c : path)
    if (c == '\\') c = '/';
  std::vector<std::string> segments;
  if (path.empty() || path[0] != '/') {
    std::string source(sourcePart);
    for (char& c : source)
      if (c == '\\') c = '/';
    auto slash = source.rfind('/');
    path = (slash == std::string::npos ? std::string() : source.substr(0, slash + 1)) + path;
  }
  std::size_t start = 0;
  while (start <= path.size()) {
    auto end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string segment = path.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string out;
  for (const auto& segment : segments) {
    if (!out.empty()) out += '/';
    out += segment;
  }
  return out;
}

bool readRelationships(const ZipArchive& zip, std::string_view sourcePart,
                       std::vector<Relationship>& out, std::string& error) {
  out.clear();
  const ZipEntry* entry = zip.find(relationshipsPartOf(sourcePart));
  if (!entry) return true;
  RelationshipsHandler handler(sourcePart, out);
  return parseXmlPart(zip, *entry, kMaxRelationshipsPart, handler, error);
}

bool parseXmlPart(const ZipArchive& zip, const ZipEntry& entry, std::uint64_t maxBytes,
                  XmlHandler& handler, std::string& error) {
  XmlTokenizer tokenizer(handler);
  bool ok = zip.read(
      entry, maxBytes, [&](std::string_view piece) { return tokenizer.feed(piece); }, error);
  if (!ok) return false;
  if (!tokenizer.finish()) {
    error = entry.name + ": " + tokenizer.error();
    return false;
  }
  return true;
}

}  // namespace xlsx
