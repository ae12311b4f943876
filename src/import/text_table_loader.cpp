#include "import/text_table_loader.h"

#include <algorithm>
#include <cstdint>
#include <system_error>

#include "import/block_text_format.h"
#include "import/csv_format.h"
#include "import/text_encoding.h"
#include "platform/cp936.h"
#include "platform/files.h"
#include "platform/utf8.h"

namespace importer {
namespace {

constexpr std::uint64_t kMaxTextFile = std::uint64_t{256} << 20;

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string_view trimmedSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool isHeader(std::string_view question, std::string_view answer) {
  const auto q = lowerAscii(trimmedSpaces(question)), a = lowerAscii(trimmedSpaces(answer));
  return (q == "\xE9\xA2\x98\xE7\x9B\xAE" && a == "\xE7\xAD\x94\xE6\xA1\x88") ||
         (q == "question" && a == "answer");
}

// One pair into a new row: UTF-8 texts become the table's GBK, counting what GBK cannot hold.
void appendPair(ImportTable& table, std::string_view serial, std::string_view question,
                std::string_view answer) {
  const int row = table.appendRow();
  table.setCell(row, kSerialColumn, cp936::fromUtf8(serial));
  table.setCell(row, kQuestionColumn, cp936::fromUtf8(question));
  table.setCell(row, kAnswerColumn, cp936::fromUtf8(answer));
  const auto lost = cp936::unmappableCharacters(utf8::toUtf16(question)) +
                    cp936::unmappableCharacters(utf8::toUtf16(answer));
  if (lost > 0) table.addUnstorable(row, static_cast<int>(lost));
}

TextLoadResult fillFromCsv(std::string_view text, ImportTable& table, WorkReport& report) {
  std::vector<CsvRecord> records;
  TextLoadResult result;
  if (!parseCsv(text, records, result.problem)) return result;
  if (records.empty()) return {true, false, {}};
  const std::size_t width = records.front().size();
  if (width < 2) {
    result.problem = "the first line holds one column; a question and an answer need two";
    return result;
  }
  // Three or more columns are the workbook layout: serial, question, answer.
  const std::size_t question = width == 2 ? 0 : 1, answer = question + 1;
  auto field = [](const CsvRecord& record, std::size_t at) -> std::string_view {
    return at < record.size() ? std::string_view(record[at]) : std::string_view();
  };
  std::size_t first = isHeader(field(records[0], question), field(records[0], answer)) ? 1 : 0;
  const int total = static_cast<int>(records.size() - first);
  for (std::size_t i = first; i < records.size(); ++i) {
    if (!report.keepGoing()) return {false, true, {}};
    const auto& record = records[i];
    const std::string serial = width == 2 ? std::to_string(i - first + 1) : record[0];
    appendPair(table, serial, field(record, question), field(record, answer));
    report.progress(WorkStage::reading, static_cast<int>(i - first + 1), total);
  }
  return {true, false, {}};
}

TextLoadResult fillFromBlocks(std::string_view text, ImportTable& table, WorkReport& report) {
  const auto pairs = parseBlockText(text);
  const int total = static_cast<int>(pairs.size());
  for (int i = 0; i < total; ++i) {
    if (!report.keepGoing()) return {false, true, {}};
    const auto& pair = pairs[static_cast<std::size_t>(i)];
    appendPair(table, std::to_string(i + 1), pair.question, pair.answer);
    report.progress(WorkStage::reading, i + 1, total);
  }
  return {true, false, {}};
}

}  // namespace

TextFileKind textFileKind(const std::filesystem::path& path) {
  const auto extension = lowerAscii(path.extension().string());
  if (extension == ".csv") return TextFileKind::csv;
  if (extension == ".txt") return TextFileKind::blocks;
  return TextFileKind::none;
}

TextLoadResult loadTextIntoTable(std::string_view bytes, TextFileKind kind, ImportTable& table,
                                 WorkReport* report) {
  WorkReport quiet;
  if (!report) report = &quiet;
  table.deleteAllRows();
  const auto decoded = decodeTextFile(bytes);
  if (!decoded.ok) return {false, false, decoded.problem};
  if (kind == TextFileKind::csv) return fillFromCsv(decoded.utf8, table, *report);
  if (kind == TextFileKind::blocks) return fillFromBlocks(decoded.utf8, table, *report);
  return {false, false, "the file is neither .csv nor .txt"};
}

TextLoadResult loadTextFileIntoTable(const std::filesystem::path& path, ImportTable& table,
                                     WorkReport* report) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return {false, false, "not a file"};
  const auto bytes = platform::readFile(path, kMaxTextFile);
  if (!bytes) return {false, false, "the file cannot be read or is larger than 256 MB"};
  return loadTextIntoTable(*bytes, textFileKind(path), table, report);
}

}  // namespace importer
