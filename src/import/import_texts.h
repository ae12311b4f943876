// The texts the import shows, in one place. Written as UTF-8 here; shown as GBK.
#pragma once

namespace importer::texts {

inline constexpr const char* kWorkbookFilter = "Excel表格(*.xls,*.xlsx)|*.xls;*.xlsx";
inline constexpr const char* kEmptyTable = "表格为空，请导入excel表格题库！";
inline constexpr const char* kNoNewBankName = "请输入要新建的  数据库名称  ！";
inline constexpr const char* kOpenFailed = "打开数据库失败";
inline constexpr const char* kDuplicatesRemovedBefore = "已删除表格中重复内容";
inline constexpr const char* kDuplicatesRemovedAfter = "条";
inline constexpr const char* kNoticeCaption = "友情提醒";
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

}  // namespace importer::texts
