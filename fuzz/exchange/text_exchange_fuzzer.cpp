// CSV and text-block files as the import reads them: the first byte picks the kind, the rest
// is the file. Whatever the bytes, loading ends without a crash, and what the export writes
// from the parsed texts parses back to the same texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "import/block_text_format.h"
#include "import/csv_format.h"
#include "import/memory_table.h"
#include "import/text_table_loader.h"

namespace {

void checkCsvRoundTrip(std::string_view text) {
  std::vector<importer::CsvRecord> records, again;
  std::string problem;
  if (!importer::parseCsv(text, records, problem)) return;
  std::string written;
  for (const auto& record : records) {
    std::vector<std::string_view> fields(record.begin(), record.end());
    importer::appendCsvRecord(fields, written);
  }
  if (!importer::parseCsv(written, again, problem)) __builtin_trap();
  // A record of one empty field is written as an empty line, which reads as no record.
  std::vector<importer::CsvRecord> kept;
  for (auto& record : records)
    if (!(record.size() == 1 && record[0].empty())) kept.push_back(std::move(record));
  if (again != kept) __builtin_trap();
}

void checkBlockRoundTrip(std::string_view text) {
  const auto pairs = importer::parseBlockText(text);
  std::vector<importer::TextPair> kept;
  for (const auto& pair : pairs)
    if (importer::blockKeepsPair(pair.question, pair.answer)) kept.push_back(pair);
  std::string written;
  for (std::size_t i = 0; i < kept.size(); ++i) importer::appendBlock(kept[i], i == 0, written);
  const auto again = importer::parseBlockText(written);
  if (again.size() != kept.size()) __builtin_trap();
  for (std::size_t i = 0; i < kept.size(); ++i)
    if (again[i].question != kept[i].question || again[i].answer != kept[i].answer)
      __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool csv = (data[0] & 1) == 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  auto table = importer::MemoryTable::withImportColumns();
  importer::loadTextIntoTable(
      text, csv ? importer::TextFileKind::csv : importer::TextFileKind::blocks, table);
  if (csv) {
    checkCsvRoundTrip(text);
  } else {
    checkBlockRoundTrip(text);
  }
  return 0;
}
