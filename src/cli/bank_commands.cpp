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

// The command line has said yes already; messages go to standard output.
class CommandLinePrompts final : public bank::BankPrompts {
 public:
  void showMessage(const std::string& text) override {
    std::printf("%s\n", cp936::toUtf8(text).c_str());
  }
  bool confirm(const std::string&) override { return true; }
};

// A chooser holding the one bank the command names.
class OneBankChooser final : public bank::BankChooser {
 public:
  explicit OneBankChooser(const std::filesystem::path& path)
      : file_(path), text_(cp936::fromUtf16(path.filename().u16string())) {}
  void clear() override {}
  void addItem(const std::string&, const std::filesystem::path&) override {}
  void select(int) override {}
  int selectedIndex() const override { return 0; }
  std::string text() const override { return text_; }
  std::filesystem::path itemFile(int) const override { return file_; }

 private:
  std::filesystem::path file_;
  std::string text_;
};

// Collects the listing of the bank folder.
class ListingChooser final : public bank::BankChooser {
 public:
  void clear() override { files.clear(); }
  void addItem(const std::string&, const std::filesystem::path& file) override {
    files.push_back(file);
  }
  void select(int) override {}
  int selectedIndex() const override { return files.empty() ? -1 : 0; }
  std::string text() const override { return {}; }
  std::filesystem::path itemFile(int index) const override {
    return files.at(static_cast<std::size_t>(index));
  }
  std::vector<std::filesystem::path> files;
};

bool bankExists(const std::filesystem::path& path, const char* command) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return true;
  std::fprintf(stderr, "quorvix-cli %s: %s: %s\n", command, utf8Of(path).c_str(),
               cp936::toUtf8(bank::errorText(bank::kFileNotFound)).c_str());
  return false;
}

int runBanks(const Context& context) {
  if (!context.args.empty()) return usageError("banks");
  CommandLinePrompts prompts;
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, prompts, context.runDir);
  ListingChooser listing;
  questionBank.listBanks(listing);
  for (const auto& file : listing.files) std::printf("%s\n", utf8Of(file).c_str());
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
  CommandLinePrompts prompts;
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, prompts, context.runDir);
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
  CommandLinePrompts prompts;
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, prompts, context.runDir);
  questionBank.clearBank(OneBankChooser(path));
  bank::RecordDatabase check;
  if (!check.openDatabase(path) || check.recordCount() != 0)
    return reportEngineError("clear", path, database.lastError());
  return 0;
}

int runRemove(const Context& context) {
  if (context.args.size() != 1) return usageError("remove BANK");
  auto path = bankArgument(context, context.args[0]);
  if (!bankExists(path, "remove")) return 1;
  CommandLinePrompts prompts;
  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, prompts, context.runDir);
  OneBankChooser chooser(path);
  questionBank.deleteBank(chooser);
  std::error_code ec;
  if (std::filesystem::exists(path, ec))
    return reportEngineError("remove", path, bank::kAccessDenied);
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
