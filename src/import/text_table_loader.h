// Loading a CSV file or a text of question blocks into the import table, as a worksheet is
// loaded: the question and answer of each pair in the table's question and answer columns.
//
// CSV: a first record with three or more fields sets the workbook layout (question in the
// second field, answer in the third, the first one the serial); exactly two fields mean
// question,answer; one field is refused. A first record whose question and answer fields are
// the header words (题目 and 答案, or "question" and "answer") is a header and skipped.
// Both kinds are UTF-8 (with or without a byte order mark) or GBK.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "import/import_table.h"
#include "import/work_report.h"

namespace importer {

enum class TextFileKind { none, csv, blocks };

// By the file's extension, in any letter case: .csv and .txt; none for anything else.
TextFileKind textFileKind(const std::filesystem::path& path);

struct TextLoadResult {
  bool ok = false;
  bool stopped = false;  // the report asked to stop
  std::string problem;   // in English, when not ok
};

// Deletes the table's rows and fills them from the text in `bytes`.
TextLoadResult loadTextIntoTable(std::string_view bytes, TextFileKind kind, ImportTable& table,
                                 WorkReport* report = nullptr);
// The same from a file (a regular file of at most 256 MB).
TextLoadResult loadTextFileIntoTable(const std::filesystem::path& path, ImportTable& table,
                                     WorkReport* report = nullptr);

}  // namespace importer
