// quorvix-cli banks | create | add | dump | delete | clear | remove: the bank store from the
// command line, over the same engine and bank operations as the forms.
#include <cstdio>
#include <string>
#include <vector>

#include "app/controllers/bank_texts.h"
#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "cli/arguments.h"
#include "cli/bank_cli_support.h"
#include "cli/commands.h"
#include "platform/cp936.h"
#include "platform/utf8.h"

namespace cli {
namespace {

bool changeMade = false;

}  // namespace

void noteChangeMade() { changeMade = true; }
bool changeWasMade() { return changeMade; }

std::string programText(const char* command, std::string_view utf8) {
  if (std::size_t lost = cp936::unmappableCharacters(utf8::toUtf16(utf8)))
    std::fprintf(stderr, "quorvix-cli %s: %zu character(s) cannot be stored and became \"?\"\n",
                 command, lost);
  return cp936::fromUtf8(utf8);
}

bool acceptableBankName(const char* command, const std::filesystem::path& name,
                        const std::filesystem::path& bankFolder) {
  auto problem = bank::checkBankName(bank::isBankFileName(name) ? name.stem() : name, bankFolder);
  if (problem == bank::BankNameProblem::none) return true;
  std::fprintf(stderr, "quorvix-cli %s: %s\n", command,
               cp936::toUtf8(app::bank_texts::bankNameProblemText(problem)).c_str());
  return false;
}

namespace {

bool parsed(const Context& context, const char* usage, std::initializer_list<const char*> flags,
            std::initializer_list<const char*> valued, int words, Arguments& args, int& status) {
  return parseCommandLine(context, usage, flags, valued, words, args, status);
}

// Opens the bank and makes sure it is one: a file without the two text fields is refused by
// every command alike.
bool openBank(bank::RecordDatabase& database, const std::filesystem::path& path,
              const char* command, bool readOnly, int& status) {
  if (!database.openDatabase(path, {.readOnly = readOnly})) {
    status = reportEngineError(command, path, database.lastError());
    return false;
  }
  if (!bank::isQuestionBankLayout(*database.layout())) {
    status = reportEngineError(command, path, bank::kNoSuchField);
    return false;
  }
  return true;
}

int runBanks(const Context& context) {
  Arguments args;
  int status = 0;
  if (!parsed(context, "banks", {}, {}, 0, args, status)) return status;
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, context.runDir);
  for (const auto& file : questionBank.listBanks())
    std::printf("%s\n", escapedLine(utf8Of(file)).c_str());
  return 0;
}

int runCreate(const Context& context) {
  Arguments args;
  int status = 0;
  if (!parsed(context, "create NAME", {}, {}, 1, args, status)) return status;
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, context.runDir);
  const auto name = fromUtf8Path(args.words[0]);
  if (!acceptableBankName("create", name, questionBank.bankFolder())) return 1;
  const auto path = questionBank.resolveBankName(name);
  questionBank.ensureBankFolder();
  switch (questionBank.createNewBank(path)) {
    case bank::QuestionBank::NewBank::existsAlready:
      return reportExistsAlready("create", path);
    case bank::QuestionBank::NewBank::failed:
      return reportEngineError("create", path, database.lastError());
    case bank::QuestionBank::NewBank::created:
      break;
  }
  noteChangeMade();
  std::printf("%s\n", utf8Of(path).c_str());
  return 0;
}

int runAdd(const Context& context) {
  Arguments args;
  int status = 0;
  if (!parsed(context, "add BANK QUESTION ANSWER", {}, {}, 3, args, status)) return status;
  auto path = bankArgument(context, args.words[0]);
  bank::RecordDatabase database;
  if (!openBank(database, path, "add", false, status)) return status;
  const bank::Layout& layout = *database.layout();
  std::vector<std::string> values(layout.fields.size());
  values[std::size_t(layout.fieldIndex(bank::kQuestionField))] = programText("add", args.words[1]);
  values[std::size_t(layout.fieldIndex(bank::kAnswerField))] = programText("add", args.words[2]);
  if (!database.addRecord(values)) return reportEngineError("add", path, database.lastError());
  noteChangeMade();
  std::printf("%d\n", database.recordNumber());
  return 0;
}

int runDump(const Context& context) {
  Arguments args;
  int status = 0;
  if (!parsed(context, "dump BANK [--json]", {"--json"}, {}, 1, args, status)) return status;
  auto path = bankArgument(context, args.words[0]);
  bank::RecordDatabase database;
  if (!openBank(database, path, "dump", true, status)) return status;
  const bool json = args.has("--json");
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

// The record a deletion names: by serial, which no purge changes, or by record number, read
// now together with the texts it holds, so the record removed is the one that was there even
// when another process purges meanwhile; with --question the text it must hold.
int runDelete(const Context& context) {
  const char* usage = "delete BANK RECNO [--question TEXT] | delete BANK --serial N";
  Arguments args;
  int status = 0;
  if (!parsed(context, usage, {}, {"--serial", "--question"}, -1, args, status)) return status;
  if (args.words.empty() || args.words.size() != (args.value("--serial") ? 1u : 2u))
    return usageError(usage);
  auto path = bankArgument(context, args.words[0]);
  const auto number =
      positiveNumber(args.value("--serial") ? *args.value("--serial") : args.words[1]);
  if (!number) return usageError(usage);
  bank::RecordDatabase database;
  if (!openBank(database, path, "delete", false, status)) return status;

  bank::RecordIdentity record;
  if (args.value("--serial")) {
    record.serial = *number;
  } else {
    std::int32_t count = database.recordCount();
    if (count < 0) return reportEngineError("delete", path, count);
    // goTo would clamp a number past the end onto the last record; never delete the wrong one.
    if (*number > count) return reportEngineError("delete", path, bank::kNoCurrentRecord);
    bool found = database.scanRecords(
        {bank::kQuestionField, bank::kAnswerField}, [&](const bank::ScanRow& row) {
          if (row.recordNumber < *number) return true;
          record.serial = row.serial;
          record.expectedTexts = {{bank::kQuestionField, std::string((*row.texts)[0])},
                                  {bank::kAnswerField, std::string((*row.texts)[1])}};
          return false;
        });
    if (!found) return reportEngineError("delete", path, database.lastError());
  }
  if (auto question = args.value("--question")) {
    record.expectedTexts.erase(record.expectedTexts.begin(), record.expectedTexts.end());
    record.expectedTexts.push_back({bank::kQuestionField, programText("delete", *question)});
  }
  if (!database.deleteRecord(record))
    return reportEngineError("delete", path, database.lastError());
  noteChangeMade();
  return 0;
}

int runClear(const Context& context) {
  Arguments args;
  int status = 0;
  if (!parsed(context, "clear BANK", {}, {}, 1, args, status)) return status;
  auto path = bankArgument(context, args.words[0]);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    return reportEngineError("clear", path, bank::kFileNotFound);
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, context.runDir);
  if (!questionBank.clearBank(path)) {
    // The bank went and another process made it anew meanwhile: that one is not emptied.
    if (database.lostToExistingFile()) return reportExistsAlready("clear", path);
    return reportEngineError("clear", path, database.lastError());
  }
  noteChangeMade();
  std::printf(
      "%s\n",
      cp936::toUtf8(app::bank_texts::bankClearedText(cp936::fromUtf16(path.filename().u16string())))
          .c_str());
  return 0;
}

int runRemove(const Context& context) {
  Arguments args;
  int status = 0;
  if (!parsed(context, "remove BANK", {}, {}, 1, args, status)) return status;
  auto path = bankArgument(context, args.words[0]);
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, context.runDir);
  if (!questionBank.deleteBank(path))
    return reportEngineError("remove", path, database.lastError());
  noteChangeMade();
  return 0;
}

}  // namespace

void addBankCommands(std::vector<Command>& table) {
  table.push_back({"banks", "banks", "list the banks of RUNDIR/题库", runBanks});
  table.push_back({"create", "create NAME", "make an empty bank NAME(.edb)", runCreate});
  table.push_back({"add", "add BANK QUESTION ANSWER", "append a question", runAdd});
  table.push_back({"dump", "dump BANK [--json]", "print every record slot", runDump});
  table.push_back({"delete", "delete BANK RECNO [--question TEXT] | delete BANK --serial N",
                   "delete a question and close the gap", runDelete});
  table.push_back({"clear", "clear BANK", "remove every question of a bank", runClear});
  table.push_back({"remove", "remove BANK", "delete a bank file", runRemove});
}

}  // namespace cli
