// Comma-separated values as RFC 4180 has them: fields separated by commas, records by line
// breaks (CRLF or LF), a field in double quotes may hold commas, line breaks and doubled
// quotes. Texts are passed through byte for byte; the encoding is the caller's.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace importer {

using CsvRecord = std::vector<std::string>;

// Every record of the text. Empty lines give no record. A quote inside an unquoted field, or
// text after a closing quote, is kept as it stands, as spreadsheet programs do. False with a
// problem (naming the line) when a quoted field never closes.
bool parseCsv(std::string_view text, std::vector<CsvRecord>& records, std::string& problem);

// Appends one field, quoted when it holds a comma, a quote or a line break, or begins or ends
// with a space (so no reader trims it).
void appendCsvField(std::string_view field, std::string& out);
// Appends a record and its CRLF.
void appendCsvRecord(const std::vector<std::string_view>& fields, std::string& out);

}  // namespace importer
