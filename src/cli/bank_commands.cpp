// quorvix-cli banks | create | add | dump | delete | clear | remove: the bank store from the
// command line, over the same engine and bank operations as the forms.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "cli/bank_cli_support.h"
#include "cli/commands.h"
#include "platform/cp936.h"

namespace cli {
namespace {

bool bankExists(const std::filesystem::path& path, const char* command) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return true;
  std::fprintf(stderr, "quorvix-cli %s: %s: %s\n", command, utf8Of(path).c_str(),
               cp936::toUtf8(bank::errorText(bank::kFileNotFound)).c_str());
  return false;
}

int runBanks(const Context& context) {
  if (!context.args.empty()) return usageError("banks");
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, context.runDir);
  for (const auto& file : questionBank.listBanks()) std::printf("%s\n", utf8Of(file).c_str());
  return 0;
}

int runCreate(const Context& context) {
  if (context.args.size() != 1 || context.args[0].empty()) return usageError("create NAME");
  auto path = bankArgument(context, context.args[0]);
  if (!bank::isBankFileName(path.filename())) path += ".edb";
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) {
    std::fprintf(stderr, "quorvix-cli create: %s: the bank exists already\n", utf8Of(path).c_str());
    return 1;
  }
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, context.runDir);
  questionBank.ensureBankFolder();
  if (!questionBank.createBank(path))
    return reportEngineError("create", path, database.lastError());
  std::printf("%s\n", utf8Of(path).c_str());
  return 0;
}

int runAdd(const Context& context) {
  if (context.args.size() != 3) return usageError("add BANK QUESTION ANSWER");
  auto path = bankArgument(context, context.args[0]);
  bank::RecordDatabase database;
  if (!database.openDatabase(path)) return reportEngineError("add", path, database.lastError());
  if (!database.addRecord({cp936::fromUtf8(context.args[1]), cp936::fromUtf8(context.args[2])}))
    return reportEngineError("add", path, database.lastError());
  std::printf("%d\n", database.recordNumber());
  return 0;
}

int runDump(const Context& context) {
  bool json = false;
  std::vector<std::string> words;
  for (const auto& arg : context.args) {
    if (arg == "--json")
      json = true;
    else
      words.push_back(arg);
  }
  if (words.size() != 1) return usageError("dump BANK [--json]");
  auto path = bankArgument(context, words[0]);
  bank::RecordDatabase database;
  if (!database.openDatabase(path, {.readOnly = true}))
    return reportEngineError("dump", path, database.lastError());
  bool ok = database.scanRecords(
      {bank::kQuestionField, bank::kAnswerField}, [&](const bank::ScanRow& row) {
        const auto& texts = *row.texts;
        if (json) {
          std::printf("{\"record\":%d,\"serial\":%d,\"question\":%s,\"answer\":%s}\n",
                      row.recordNumber, row.serial, jsonString(cp936::toUtf8(texts[0])).c_str(),
                      jsonString(cp936::toUtf8(texts[1])).c_str());
        } else {
          std::printf("%d\t%d\t%s\t%s\n", row.recordNumber, row.serial, plainText(texts[0]).c_str(),
                      plainText(texts[1]).c_str());
        }
        return true;
      });
  if (!ok) return reportEngineError("dump", path, database.lastError());
  return 0;
}

int runDelete(const Context& context) {
  if (context.args.size() != 2) return usageError("delete BANK RECNO");
  auto path = bankArgument(context, context.args[0]);
  char* end = nullptr;
  long number = std::strtol(context.args[1].c_str(), &end, 10);
  if (!end || *end || number < 1) return usageError("delete BANK RECNO");
  bank::RecordDatabase database;
  if (!database.openDatabase(path)) return reportEngineError("delete", path, database.lastError());
  std::int32_t count = database.recordCount();
  if (count < 0) return reportEngineError("delete", path, count);
  // goTo would clamp a number past the end onto the last record; never delete the wrong one.
  if (number > count) return reportEngineError("delete", path, bank::kNoCurrentRecord);
  if (!database.goTo(static_cast<std::int32_t>(number)) || !database.markDeleted() ||
      !database.purgeDeleted())
    return reportEngineError("delete", path, database.lastError());
  return 0;
}

int runClear(const Context& context) {
  if (context.args.size() != 1) return usageError("clear BANK");
  auto path = bankArgument(context, context.args[0]);
  if (!bankExists(path, "clear")) return 1;
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, context.runDir);
  if (!questionBank.clearBank(path)) return reportEngineError("clear", path, database.lastError());
  std::printf("%s\n", cp936::toUtf8(cp936::fromUtf8("题库 ") +
                                    cp936::fromUtf16(path.filename().u16string()) +
                                    cp936::fromUtf8(" 已清空"))
                          .c_str());
  return 0;
}

int runRemove(const Context& context) {
  if (context.args.size() != 1) return usageError("remove BANK");
  auto path = bankArgument(context, context.args[0]);
  if (!bankExists(path, "remove")) return 1;
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, context.runDir);
  if (!questionBank.deleteBank(path))
    return reportEngineError("remove", path, database.lastError());
  return 0;
}

}  // namespace

void addBankCommands(std::vector<Command>& table) {
  table.push_back({"banks", "banks", "list the banks of RUNDIR/题库", runBanks});
  table.push_back({"create", "create NAME", "make an empty bank NAME(.edb)", runCreate});
  table.push_back({"add", "add BANK QUESTION ANSWER", "append a question", runAdd});
  table.push_back({"dump", "dump BANK [--json]", "print every record slot", runDump});
  table.push_back(
      {"delete", "delete BANK RECNO", "delete a question and close the gap", runDelete});
  table.push_back({"clear", "clear BANK", "remove every question of a bank", runClear});
  table.push_back({"remove", "remove BANK", "delete a bank file", runRemove});
}

}  // namespace cli
