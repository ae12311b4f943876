// The texts of the bank chooser's and the import form's bank buttons. UTF-8 here; shown as GBK.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

#include "app/controllers/program_text.h"
#include "bank/bank_names.h"
#include "bank/error_codes.h"
#include "platform/cp936.h"

namespace app::bank_texts {

inline constexpr const char* kOpenFailed = "题库打开失败";
inline constexpr const char* kBankEmpty = "题库为空，请导入题目后再使用！！！";
inline constexpr const char* kConfirmClearBefore = "确认要清空  ";
inline constexpr const char* kConfirmClearAfter = "  吗？？？";
inline constexpr const char* kClearedBefore = "题库 ";
inline constexpr const char* kClearedAfter = " 已清空";
inline constexpr const char* kClearFailedAfter = " 清空失败";
inline constexpr const char* kConfirmDeleteBefore = "确认删除  ";
inline constexpr const char* kConfirmDeleteAfter = "  ！！！";
inline constexpr const char* kNoBankChosen = "请先选择一个题库！";
inline constexpr const char* kInUseAfter = " 正在被其他程序使用，请稍后再试！";
inline constexpr const char* kDeleteFailedAfter = " 删除失败";

inline constexpr const char* kExportTitle = "导出题库";
inline constexpr const char* kExportFilter =
    "Excel工作薄（*.xlsx）|*.xlsx|CSV文件（*.csv）|*.csv|文本文件（*.txt）|*.txt";
inline constexpr const char* kExportedBefore = "已导出 ";
inline constexpr const char* kExportedMiddle = " 道题到\n";
inline constexpr const char* kExportedInexactBefore = "\n其中 ";
inline constexpr const char* kExportedInexactAfter =
    " 道题的题目或答案含有文本格式无法原样保存的内容，需要原样保存请导出为 xlsx 或 csv";
inline constexpr const char* kExportBankUnreadable = "导出失败：题库无法读取，可能已经损坏";
inline constexpr const char* kExportTargetExists = "导出失败：文件已存在";
inline constexpr const char* kExportOverBank = "导出失败：不能导出到题库文件本身";
inline constexpr const char* kExportLibraryUnavailable = "导出失败：无法放置Excel支持库";
inline constexpr const char* kExportWorkbookFailed = "导出失败：无法生成Excel工作薄：";
inline constexpr const char* kExportWriteFailedBefore = "导出失败：无法写入\n";
inline constexpr const char* kExportWriteFailedAfter = "\n文件夹不存在或没有写入权限，或者磁盘已满";
inline constexpr const char* kExportUnknownType = "请选择保存类型，或以 .xlsx、.csv、.txt 结尾命名";

// "题库 " + the bank's name (GBK) + " 已清空".
inline std::string bankClearedText(const std::string& name) {
  return gbk(kClearedBefore) + name + gbk(kClearedAfter);
}

// The bank chooser's texts that name a bank file, as wide text: the name keeps every character.
inline std::u16string wide(const char* utf8) { return cp936::toUtf16(gbk(utf8)); }
inline std::u16string confirmClearText(const std::u16string& name) {
  return wide(kConfirmClearBefore) + name + wide(kConfirmClearAfter);
}
inline std::u16string confirmDeleteText(const std::u16string& name) {
  return wide(kConfirmDeleteBefore) + name + wide(kConfirmDeleteAfter);
}
inline std::u16string bankClearedText(const std::u16string& name) {
  return wide(kClearedBefore) + name + wide(kClearedAfter);
}

// Why a clear or a delete did not happen: another program holds the bank, or something else.
inline std::u16string bankChangeFailedText(const std::u16string& name, int error,
                                           const char* failedAfter) {
  const bool inUse = error == bank::kLockViolation || error == bank::kSharingViolation;
  return wide(kClearedBefore) + name + wide(inUse ? kInUseAfter : failedAfter);
}

// A control character of a typed name, named so the user can find it (UTF-8).
inline std::string controlCharacterName(std::u16string_view name) {
  for (char16_t c : name) {
    if (c >= 0x20) continue;
    if (c == u'\t') return "制表符（Tab）";
    if (c == u'\n') return "换行符";
    if (c == u'\r') return "回车符";
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
    return std::string("控制字符（") + code + "）";
  }
  return "控制字符";
}

// What is wrong with a typed bank name, in words (GBK). `name` names the character at fault.
inline std::string bankNameProblemText(bank::BankNameProblem problem,
                                       std::u16string_view name = {}) {
  switch (problem) {
    case bank::BankNameProblem::controlCharacter:
      return gbk(("题库名称不能包含" + controlCharacterName(name) + "！").c_str());
    case bank::BankNameProblem::empty:
      return gbk("题库名称不能为空！");
    case bank::BankNameProblem::forbiddenCharacter:
      return gbk("题库名称不能包含以下字符：\\ / : * ? \" < > |");
    case bank::BankNameProblem::reservedName:
      return gbk("题库名称不能使用系统保留的名称（如 CON、PRN、AUX、NUL、COM1、LPT1）！");
    case bank::BankNameProblem::trailingDotOrSpace:
      return gbk("题库名称不能以点或空格结尾！");
    case bank::BankNameProblem::tooLong:
      return gbk("题库名称太长，请缩短后再试！");
    case bank::BankNameProblem::none:
      break;
  }
  return {};
}

}  // namespace app::bank_texts
