// quorvix-cli search BANK KEYWORD [--json]: the answer form's search from the command line,
// printing the matches in record order and the status line the form would show.
#include <cstdio>
#include <string>
#include <vector>

#include "app/controllers/answer_texts.h"
#include "bank/record_database.h"
#include "cli/bank_cli_support.h"
#include "cli/commands.h"
#include "platform/cp936.h"
#include "search/bank_search.h"

namespace cli {
namespace {

const char* const kUsage = "search BANK KEYWORD [--json]";

int runSearch(const Context& context) {
  bool json = false;
  std::vector<std::string> words;
  for (const auto& arg : context.args) {
    if (arg == "--json")
      json = true;
    else
      words.push_back(arg);
  }
  if (words.size() != 2) return usageError(kUsage);
  auto path = bankArgument(context, words[0]);

  bank::RecordDatabase database;
  auto result = search::searchBank(database, path, cp936::fromUtf8(words[1]));
  for (const auto& row : result.rows) {
    if (json) {
      std::printf("{\"record\":%d,\"question\":%s,\"answer\":%s}\n", row.recordNumber,
                  jsonString(cp936::toUtf8(row.question)).c_str(),
                  jsonString(cp936::toUtf8(row.answer)).c_str());
    } else {
      std::printf("%d\t%s\t%s\n", row.recordNumber, plainText(row.question).c_str(),
                  plainText(row.answer).c_str());
    }
  }
  namespace texts = app::answer_texts;
  const int matches = int(result.rows.size());
  std::string status = cp936::toUtf8(result.outcome == search::SearchOutcome::emptyKeyword
                                         ? texts::gbk(texts::kEmptyKeyword)
                                     : result.outcome == search::SearchOutcome::openFailed
                                         ? texts::gbk(texts::kOpenFailed)
                                         : texts::positionStatus(matches ? 1 : 0, matches));
  if (json)
    std::printf("{\"status\":%s}\n", jsonString(status).c_str());
  else
    std::printf("%s\n", status.c_str());
  if (result.outcome == search::SearchOutcome::openFailed)
    return reportEngineError("search", path, database.lastError());
  return 0;
}

}  // namespace

void addSearchCommand(std::vector<Command>& table) {
  table.push_back({"search", kUsage, "find the questions of a bank holding KEYWORD", runSearch});
}

}  // namespace cli
