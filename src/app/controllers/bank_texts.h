// The texts of the bank chooser's and the import form's bank buttons. UTF-8 here; shown as GBK.
#pragma once

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

}  // namespace app::bank_texts
