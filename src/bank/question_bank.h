// QuestionBank: the bank folder beside the program, the listing of bank files into the
// choosers, and the life of a bank file (create, open for answering, clear, delete).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "bank/bank_prompts.h"
#include "bank/record_database.h"

namespace bank {

// Every bank has these two text fields, in this order, 1000 bytes each.
extern const char* const kQuestionField;  // 题目
extern const char* const kAnswerField;    // 答案
inline constexpr int kBankTextWidth = 1000;
std::vector<FieldDef> bankSchema();

// Is this a bank file's name: an extension of exactly ".edb", in any letter case?
bool isBankFileName(const std::filesystem::path& name);

class QuestionBank {
 public:
  QuestionBank(RecordDatabase& database, BankPrompts& prompts, std::filesystem::path runDir,
               platform::FileSystem& files = platform::nativeFileSystem());

  std::filesystem::path bankFolder() const;
  // Run directory + "\题库\" + a bank name as the chooser shows it (GBK), unchanged.
  std::filesystem::path bankPath(const std::string& name) const;
  // The chooser's bank: its selected item's real file when the text is that item's, else
  // bankPath of the text.
  std::filesystem::path bankPathOf(const BankChooser& chooser) const;

  void ensureBankFolder();
  void listBanks(BankChooser& chooser);
  // The BankChooserForm's 组合框1 selection changed.
  void selectAnswerBank(const BankChooser& chooser);
  // 按钮_开始考试: true when the bank is open, holds records and the AnswerForm may start.
  bool openForAnswering(const BankChooser& chooser);
  // The ImportForm's 按钮_清空数据库.
  void clearBank(const BankChooser& chooser);
  // 按钮_删除题库.
  void deleteBank(BankChooser& chooser);
  bool createBank(const std::filesystem::path& path);

  const std::filesystem::path& answerBankPath() const { return answerBankPath_; }
  const std::filesystem::path& targetBankPath() const { return targetBankPath_; }
  void setTargetBankPath(const std::filesystem::path& path) { targetBankPath_ = path; }
  RecordDatabase& database() { return database_; }

 private:
  RecordDatabase& database_;
  BankPrompts& prompts_;
  std::filesystem::path runDir_;
  platform::FileSystem& files_;
  std::filesystem::path answerBankPath_;
  std::filesystem::path targetBankPath_;
};

}  // namespace bank
