// quorvix-cli search BANK KEYWORD [--json] [--similar]: the answer form's search from the
// command line, printing the results and the status line the form would show. Without
// --similar, the questions holding the keyword in record order, or the most similar questions
// when none holds it, as the form does; with --similar, always the most similar.
#include <cstdio>
#include <string>
#include <vector>

#include "app/controllers/answer_texts.h"
#include "bank/record_database.h"
#include "cli/arguments.h"
#include "cli/bank_cli_support.h"
#include "cli/commands.h"
#include "platform/cp936.h"
#include "platform/utf8.h"
#include "search/bank_search.h"

namespace cli {
namespace {

const char* const kUsage = "search BANK KEYWORD [--json] [--similar]";

// A score as a short JSON number: 1, 0.87, 0.873.
std::string scoreText(double score) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", score);
  std::string out = text;
  while (out.back() == '0') out.pop_back();
  if (out.back() == '.') out.pop_back();
  return out;
}

int runSearch(const Context& context) {
  Arguments args;
  int exit = 0;
  if (!parseCommandLine(context, kUsage, {"--json", "--similar"}, {}, 2, args, exit)) return exit;
  const bool json = args.has("--json");
  auto path = bankArgument(context, args.words[0]);

  // A character the bank cannot hold is in no question: such a keyword holds none, rather
  // than "?" matching whatever question holds one, and only the similar ones are looked for.
  const std::string& keyword = args.words[1];
  const bool storable = cp936::unmappableCharacters(utf8::toUtf16(keyword)) == 0;
  const std::string gbkKeyword = cp936::fromUtf8(keyword);
  search::SearchRequest request{gbkKeyword, -1, search::SimilarMode::whenNoneHoldsIt};
  if (args.has("--similar") || !storable) request.similar = search::SimilarMode::always;
  bank::RecordDatabase database;
  auto result = search::searchBank(database, path, request);
  const bool similar = result.outcome == search::SearchOutcome::similarFound;

  for (const auto& row : result.rows) {
    if (json) {
      std::printf(
          "{\"record\":%d,\"serial\":%d,\"question\":%s,\"answer\":%s,\"match\":\"%s\","
          "\"score\":%s}\n",
          row.recordNumber, row.serial, jsonString(cp936::toUtf8(row.question)).c_str(),
          jsonString(cp936::toUtf8(row.answer)).c_str(), similar ? "similar" : "exact",
          scoreText(row.score).c_str());
    } else if (similar) {
      std::printf("%d\t%s\t%s\t%s\n", row.recordNumber, plainText(row.question).c_str(),
                  plainText(row.answer).c_str(), scoreText(row.score).c_str());
    } else {
      std::printf("%d\t%s\t%s\n", row.recordNumber, plainText(row.question).c_str(),
                  plainText(row.answer).c_str());
    }
  }
  namespace texts = app::answer_texts;
  const int matches = int(result.rows.size());
  std::string status;
  switch (result.outcome) {
    case search::SearchOutcome::emptyKeyword:
      status = app::gbk(texts::kEmptyKeyword);
      break;
    case search::SearchOutcome::openFailed:
    case search::SearchOutcome::readFailed:
      status = app::gbk(texts::kOpenFailed);
      break;
    case search::SearchOutcome::noMatch:
    case search::SearchOutcome::found:
    case search::SearchOutcome::similarFound:
      status = texts::positionStatus(matches ? 1 : 0, matches, similar);
      break;
  }
  if (json)
    std::printf("{\"status\":%s}\n", jsonString(cp936::toUtf8(status)).c_str());
  else
    std::printf("%s\n", cp936::toUtf8(status).c_str());
  if (result.outcome == search::SearchOutcome::openFailed ||
      result.outcome == search::SearchOutcome::readFailed)
    return reportEngineError("search", path, result.bankError);
  return result.outcome == search::SearchOutcome::emptyKeyword ? 1 : 0;
}

}  // namespace

void addSearchCommand(std::vector<Command>& table) {
  table.push_back({"search", kUsage,
                   "find the questions of a bank holding KEYWORD, or else the most similar",
                   runSearch});
}

}  // namespace cli
