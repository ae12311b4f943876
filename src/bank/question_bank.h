// QuestionBank: the bank folder beside the program, its listing, how a bank name becomes a
// file, and the life of a bank file (create, open for answering, clear, delete). It decides and
// reports; the front ends ask the user and show the outcome.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "bank/bank_names.h"
#include "bank/record_database.h"

namespace bank {

// Every bank has these two text fields, in this order, 1000 bytes each.
extern const char* const kQuestionField;  // 题目
extern const char* const kAnswerField;    // 答案
inline constexpr int kBankTextWidth = 1000;
std::vector<FieldDef> bankSchema();

// Does the layout hold the two text fields of a bank, each name once? Banks made elsewhere may
// hold them in another order or hold more fields; without both, no question can be read or
// added, and such a file is refused as a bank.
bool isQuestionBankLayout(const Layout& layout);

// What a bank chooser holds: the text in its box (GBK) and the real file name of its selected
// item, empty when no item is selected.
struct BankChoice {
  std::string shownText;
  std::filesystem::path selectedFile;
};

enum class AnsweringOutcome {
  opened,      // open and current, with records: the answer form may start
  openFailed,  // it could not be opened
  empty,       // it opened but holds no records; it is closed again
};

class QuestionBank {
 public:
  QuestionBank(RecordDatabase& database, std::filesystem::path runDir);

  std::filesystem::path bankFolder() const;
  // Run directory + "\题库\" + a bank name as the chooser shows it (GBK), unchanged.
  std::filesystem::path bankPath(const std::string& name) const;
  // The chooser's bank: its selected item's real file when the text is that item's, else
  // bankPath of the text.
  std::filesystem::path bankPathOf(const BankChoice& choice) const;
  // The bank a typed name means (see bankFileName), in the bank folder; an existing bank whose
  // name differs only in letter case is that bank, whatever the file system.
  std::filesystem::path resolveBankName(const std::filesystem::path& name) const;

  void ensureBankFolder();
  // The bank files' names, in the order the folder lists them.
  std::vector<std::filesystem::path> listBanks() const;

  // The BankChooserForm's 组合框1 selection changed to `choice`.
  void selectAnswerBank(const BankChoice& choice);
  // 按钮_开始考试.
  AnsweringOutcome openForAnswering(const BankChoice& choice);
  // Empties the bank, keeping the file (other processes may have it open). False when it could
  // not be emptied; lastError says why.
  bool clearBank(const std::filesystem::path& path);
  // Deletes the bank file. False when it could not be deleted (in use elsewhere on Windows).
  bool deleteBank(const std::filesystem::path& path);
  // A new empty bank; an existing file of that name is replaced.
  bool createBank(const std::filesystem::path& path);
  // A new empty bank, placed only where no file of that name exists at that moment: a bank
  // another process makes meanwhile (an import filling it) is never replaced.
  enum class NewBank { created, existsAlready, failed };
  NewBank createNewBank(const std::filesystem::path& path);
  // A new empty bank unless a file of that name exists (made meanwhile by another process, too):
  // an existing bank is never made anew. False when neither holds.
  bool createBankIfMissing(const std::filesystem::path& path);

  const std::filesystem::path& answerBankPath() const { return answerBankPath_; }
  const std::filesystem::path& targetBankPath() const { return targetBankPath_; }
  void setTargetBankPath(const std::filesystem::path& path) { targetBankPath_ = path; }
  RecordDatabase& database() { return database_; }
  int lastError() const { return database_.lastError(); }

 private:
  RecordDatabase& database_;
  std::filesystem::path runDir_;
  std::filesystem::path answerBankPath_;
  std::filesystem::path targetBankPath_;
};

}  // namespace bank
