#include "bank/question_bank.h"

#include <system_error>
#include <utility>

#include "platform/cp936.h"

namespace bank {

const char* const kQuestionField = "\xCC\xE2\xC4\xBF";  // 题目
const char* const kAnswerField = "\xB4\xF0\xB0\xB8";    // 答案

namespace {

// The texts this module shows, GBK at run time.
std::string text(const char* utf8) { return cp936::fromUtf8(utf8); }
const char* const kFolderName = "题库";
const char* const kOpenFailed = "题库打开失败";
const char* const kBankEmpty = "题库为空，请导入题目后再使用！！！";
const char* const kConfirmClearBefore = "确认要清空  ";
const char* const kConfirmClearAfter = "  吗？？？";
const char* const kClearedBefore = "题库 ";
const char* const kClearedAfter = " 已清空";
const char* const kClearFailedAfter = " 清空失败";
const char* const kConfirmDeleteBefore = "确认删除  ";
const char* const kConfirmDeleteAfter = "  ！！！";

std::string displayName(const std::filesystem::path& fileName) {
  return cp936::fromUtf16(fileName.u16string());
}

}  // namespace

std::vector<FieldDef> bankSchema() {
  return {{kQuestionField, kText, kBankTextWidth}, {kAnswerField, kText, kBankTextWidth}};
}

bool isBankFileName(const std::filesystem::path& name) {
  auto ext = name.extension().u16string();
  if (ext.size() != 4 || ext[0] != u'.') return false;
  const char16_t* want = u"edb";
  for (int i = 0; i < 3; ++i) {
    char16_t c = ext[static_cast<std::size_t>(i) + 1];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != want[i]) return false;
  }
  return true;
}

QuestionBank::QuestionBank(RecordDatabase& database, BankPrompts& prompts,
                           std::filesystem::path runDir, platform::FileSystem& files)
    : database_(database), prompts_(prompts), runDir_(std::move(runDir)), files_(files) {}

std::filesystem::path QuestionBank::bankFolder() const {
  return runDir_ /
         std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(kFolderName)));
}

std::filesystem::path QuestionBank::bankPath(const std::string& name) const {
  // Concatenated, not joined: the name is used exactly as the chooser holds it.
  auto path = bankFolder();
  path += std::filesystem::path::preferred_separator;
  path += std::filesystem::path(cp936::toUtf16(name));
  return path;
}

std::filesystem::path QuestionBank::bankPathOf(const BankChooser& chooser) const {
  int selected = chooser.selectedIndex();
  std::string shown = chooser.text();
  if (selected >= 0) {
    auto file = chooser.itemFile(selected);
    if (!file.empty() && displayName(file) == shown) return bankFolder() / file;
  }
  return bankPath(shown);
}

void QuestionBank::ensureBankFolder() {
  std::error_code ec;
  auto folder = bankFolder();
  if (std::filesystem::is_directory(folder, ec)) return;
  std::filesystem::create_directories(folder, ec);  // a failure shows nothing
}

void QuestionBank::listBanks(BankChooser& chooser) {
  std::error_code ec;
  std::filesystem::directory_iterator it(bankFolder(), ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    auto name = it->path().filename();
    if (!isBankFileName(name)) continue;
    chooser.addItem(displayName(name), name);
    chooser.select(0);
  }
}

void QuestionBank::selectAnswerBank(const BankChooser& chooser) {
  if (chooser.selectedIndex() >= 0) answerBankPath_ = bankPathOf(chooser);
}

bool QuestionBank::openForAnswering(const BankChooser& chooser) {
  answerBankPath_ = bankPathOf(chooser);
  if (!database_.openDatabase(answerBankPath_)) {
    prompts_.showMessage(text(kOpenFailed));
    return false;
  }
  if (database_.recordCount() == 0) {
    prompts_.showMessage(text(kBankEmpty));
    database_.closeDatabase();
    return false;
  }
  return true;
}

void QuestionBank::clearBank(const BankChooser& chooser) {
  targetBankPath_ = bankPathOf(chooser);
  std::string shown = chooser.text();
  if (!prompts_.confirm(text(kConfirmClearBefore) + shown + text(kConfirmClearAfter))) return;
  if (database_.isOpen(targetBankPath_)) database_.closeDatabase(targetBankPath_);
  // The empty bank replaces the old file in one step, so a crash or a failure never leaves
  // the user without either; a failure is said, not reported as done.
  bool cleared = createBank(targetBankPath_);
  prompts_.showMessage(text(kClearedBefore) + shown +
                       text(cleared ? kClearedAfter : kClearFailedAfter));
}

void QuestionBank::deleteBank(BankChooser& chooser) {
  targetBankPath_ = bankPathOf(chooser);
  if (!prompts_.confirm(text(kConfirmDeleteBefore) + chooser.text() + text(kConfirmDeleteAfter)))
    return;
  if (database_.isOpen(targetBankPath_)) database_.closeDatabase(targetBankPath_);
  files_.remove(targetBankPath_);  // a failure is not shown
  chooser.clear();
  listBanks(chooser);
}

bool QuestionBank::createBank(const std::filesystem::path& path) {
  return database_.createDatabase(path, bankSchema());
}

}  // namespace bank
