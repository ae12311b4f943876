// The texts the import shows, in one place. Written as UTF-8 here; shown as GBK.
#pragma once
#include <string>

#include "import/table_import.h"
#include "import/workbook_refusal.h"
#include "platform/cp936.h"

namespace app::import_texts {

inline constexpr const char* kWorkbookFilter =
    "Excel表格(*.xls,*.xlsx)|*.xls;*.xlsx|CSV文件(*.csv)|*.csv|文本文件(*.txt)|*.txt";
inline constexpr const char* kEmptyTable = "表格为空，请导入excel表格题库！";
inline constexpr const char* kNoNewBankName = "请输入要新建的  数据库名称  ！";
inline constexpr const char* kOpenFailed = "打开数据库失败";
inline constexpr const char* kDuplicatesRemovedBefore = "已删除表格中重复内容";
inline constexpr const char* kDuplicatesRemovedAfter = "条";
inline constexpr const char* kNoticeCaption = "友情提醒";
inline constexpr const char* kConfirmStop = "导入尚未完成，确定要停止吗？";
// "导入已停止，已导入" N
// "条数据。\r\n再次导入同一工作簿即可完成导入（已导入的题目会作为重复内容跳过）。"
inline constexpr const char* kStoppedBefore = "导入已停止，已导入";
inline constexpr const char* kStoppedAfter =
    "条数据。\r\n再次导入同一工作簿即可完成导入（已导入的题目会作为重复内容跳过）。";
inline constexpr const char* kRowDuplicate = "重复内容";
inline constexpr const char* kRowImported = "导入成功";
inline constexpr const char* kRowFailed = "导入失败";
// "题目已导入完毕\r\n已跳过重复项" N "条数据\r\n共新导入" M "条数据", and when appends failed
// "\r\n导入失败" K "条数据".
inline constexpr const char* kDoneBefore = "题目已导入完毕\r\n已跳过重复项";
inline constexpr const char* kDoneSkippedAfter = "条数据\r\n共新导入";
inline constexpr const char* kDoneImportedAfter = "条数据";
inline constexpr const char* kDoneFailedBefore = "\r\n导入失败";
inline constexpr const char* kDoneFailedAfter = "条数据";
// After a row's result when some of its characters could not be stored: "（有" N
// "个字符题库无法保存，已存为“?”）".
inline constexpr const char* kUnstorableBefore = "（有";
inline constexpr const char* kUnstorableAfter = "个字符题库无法保存，已存为“?”）";
inline constexpr const char* kNotATextFile =
    "无法读取该文件：它不是可导入的CSV或文本文件，或者已经损坏";
inline constexpr const char* kNotAWorkbook = "无法打开该文件：它不是Excel工作簿，或者已经损坏";
inline constexpr const char* kWorkbookEncrypted =
    "无法打开该文件：工作簿设有密码（已加密），请在Excel中取消密码后再导入";
inline constexpr const char* kWorkbookTooOld =
    "无法打开该文件：这是Excel 5.0/95或更早版本的工作簿，请在Excel中另存为.xlsx或.xls格式后再导入";
inline constexpr const char* kWorkbookDamaged = "无法打开该文件：工作簿已经损坏或不完整";
inline constexpr const char* kLibraryUnavailable =
    "无法在程序所在的文件夹写出表格组件，请检查该文件夹是否可以写入";
// When the library or one of its functions cannot be found: library file, function name.
inline constexpr const char* kMissingFunction = "无法找到指定DLL库文件“%s”中的输出命令“%s”";

// A row's result as the table's 结果 column shows it (GBK). A row whose texts held characters
// the bank cannot store says how many, unless nothing of it was stored.
inline std::string resultText(importer::RowResult result, int unstorable = 0) {
  // Converted once: an import shows one of these on every row.
  static const std::string duplicate = cp936::fromUtf8(kRowDuplicate);
  static const std::string imported = cp936::fromUtf8(kRowImported);
  static const std::string failed = cp936::fromUtf8(kRowFailed);
  switch (result) {
    case importer::RowResult::duplicate:
      return duplicate;
    case importer::RowResult::imported:
      if (unstorable <= 0) return imported;
      return imported + cp936::fromUtf8(kUnstorableBefore) + std::to_string(unstorable) +
             cp936::fromUtf8(kUnstorableAfter);
    case importer::RowResult::failed:
      break;
  }
  return failed;
}

// Why a workbook the library refused gives no table (UTF-8).
inline const char* refusalText(importer::WorkbookRefusal refusal) {
  switch (refusal) {
    case importer::WorkbookRefusal::encrypted:
      return kWorkbookEncrypted;
    case importer::WorkbookRefusal::tooOld:
      return kWorkbookTooOld;
    case importer::WorkbookRefusal::damaged:
      return kWorkbookDamaged;
    case importer::WorkbookRefusal::notAWorkbook:
      break;
  }
  return kNotAWorkbook;
}

// kMissingFunction with its two names put in (GBK).
inline std::string missingFunctionText(const char* libraryFile, const char* function) {
  const std::string format = cp936::fromUtf8(kMissingFunction);
  std::string text;
  const char* names[] = {libraryFile, function};
  int next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' && next < 2) {
      text += names[next++];
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

}  // namespace app::import_texts
