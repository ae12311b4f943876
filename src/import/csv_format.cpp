#include "import/csv_format.h"

namespace importer {

bool parseCsv(std::string_view text, std::vector<CsvRecord>& records, std::string& problem) {
  records.clear();
  CsvRecord record;
  std::string field;
  bool fieldStarted = false;   // the current field has a character or a quote
  bool recordStarted = false;  // the line has something: a field, a comma or a quote
  std::size_t line = 1;
  auto endRecord = [&] {
    if (recordStarted) {
      record.push_back(std::move(field));
      records.push_back(std::move(record));
    }
    record.clear();
    field.clear();
    fieldStarted = false;
    recordStarted = false;
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"' && !fieldStarted) {
      // A quoted field: up to the quote that is not doubled.
      const std::size_t openedOn = line;
      ++i;
      bool closed = false;
      while (i < text.size()) {
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        if (text[i] == '\n') ++line;
        field += text[i++];
      }
      if (!closed) {
        problem = "a quoted field opened on line " + std::to_string(openedOn) + " never closes";
        return false;
      }
      fieldStarted = recordStarted = true;
      continue;
    }
    if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
      fieldStarted = false;
      recordStarted = true;
      ++i;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (c == '\n' || c == '\r') {
      ++line;
      ++i;
      endRecord();
      continue;
    }
    field += c;
    fieldStarted = recordStarted = true;
    ++i;
  }
  endRecord();
  return true;
}

void appendCsvField(std::string_view field, std::string& out) {
  const bool quoted = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                      (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!quoted) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void appendCsvRecord(const std::vector<std::string_view>& fields, std::string& out) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    appendCsvField(fields[i], out);
  }
  out += "\r\n";
}

}  // namespace importer
