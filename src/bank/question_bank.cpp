#include "bank/question_bank.h"

#include <system_error>
#include <utility>

#include "platform/cp936.h"

namespace bank {

const char* const kQuestionField = "\xCC\xE2\xC4\xBF";  // 题目
const char* const kAnswerField = "\xB4\xF0\xB0\xB8";    // 答案

namespace {

std::string displayName(const std::filesystem::path& fileName) {
  return cp936::fromUtf16(fileName.u16string());
}

}  // namespace

std::vector<FieldDef> bankSchema() {
  return {{kQuestionField, kText, kBankTextWidth}, {kAnswerField, kText, kBankTextWidth}};
}

bool isQuestionBankLayout(const Layout& layout) {
  auto onceAsText = [&](const char* name) {
    int found = 0;
    for (const auto& field : layout.fields)
      if (field.name == name) found += field.type == kText ? 1 : 2;
    return found == 1;
  };
  return onceAsText(kQuestionField) && onceAsText(kAnswerField);
}

QuestionBank::QuestionBank(RecordDatabase& database, std::filesystem::path runDir)
    : database_(database), runDir_(std::move(runDir)) {}

std::filesystem::path QuestionBank::bankFolder() const {
  return runDir_ / std::filesystem::path(u8"题库");
}

std::filesystem::path QuestionBank::bankPath(const std::string& name) const {
  // Concatenated, not joined: the name is used exactly as the chooser holds it.
  auto path = bankFolder();
  path += std::filesystem::path::preferred_separator;
  path += std::filesystem::path(cp936::toUtf16(name));
  return path;
}

std::filesystem::path QuestionBank::bankPathOf(const BankChoice& choice) const {
  if (!choice.selectedFile.empty() && displayName(choice.selectedFile) == choice.shownText)
    return bankFolder() / choice.selectedFile;
  return bankPath(choice.shownText);
}

std::filesystem::path QuestionBank::resolveBankName(const std::filesystem::path& name) const {
  const auto file = bankFileName(name);
  const auto banks = listBanks();
  for (const auto& existing : banks)
    if (existing == file) return bankFolder() / existing;
  for (const auto& existing : banks)
    if (sameNameIgnoringCase(existing, file)) return bankFolder() / existing;
  return bankFolder() / file;
}

void QuestionBank::ensureBankFolder() {
  std::error_code ec;
  auto folder = bankFolder();
  if (std::filesystem::is_directory(folder, ec)) return;
  std::filesystem::create_directories(folder, ec);  // a failure shows when a bank is used
}

std::vector<std::filesystem::path> QuestionBank::listBanks() const {
  std::vector<std::filesystem::path> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(bankFolder(), ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    auto name = it->path().filename();
    if (isBankFileName(name)) names.push_back(name);
  }
  return names;
}

void QuestionBank::selectAnswerBank(const BankChoice& choice) {
  if (!choice.selectedFile.empty()) answerBankPath_ = bankPathOf(choice);
}

AnsweringOutcome QuestionBank::openForAnswering(const BankChoice& choice) {
  answerBankPath_ = bankPathOf(choice);
  if (!database_.openDatabase(answerBankPath_)) return AnsweringOutcome::openFailed;
  if (database_.recordCount() == 0) {
    database_.closeDatabase();
    return AnsweringOutcome::empty;
  }
  return AnsweringOutcome::opened;
}

bool QuestionBank::clearBank(const std::filesystem::path& path) {
  targetBankPath_ = path;
  if (database_.isOpen(path)) database_.closeDatabase(path);
  return database_.clearDatabase(path, bankSchema());
}

bool QuestionBank::deleteBank(const std::filesystem::path& path) {
  targetBankPath_ = path;
  if (database_.isOpen(path)) database_.closeDatabase(path);
  return database_.removeDatabase(path);
}

bool QuestionBank::createBank(const std::filesystem::path& path) {
  return database_.createDatabase(path, bankSchema());
}

QuestionBank::NewBank QuestionBank::createNewBank(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::exists(withDefaultExtension(path), ec)) return NewBank::existsAlready;
  if (database_.createDatabase(path, bankSchema(), /*replaceExisting=*/false))
    return NewBank::created;
  return database_.lostToExistingFile() ? NewBank::existsAlready : NewBank::failed;
}

bool QuestionBank::createBankIfMissing(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return true;
  if (database_.createDatabase(path, bankSchema(), /*replaceExisting=*/false)) return true;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace bank
