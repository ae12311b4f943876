// The texts the answer form shows, in one place. Written as UTF-8 here; shown as GBK.
#pragma once
#include <string>

#include "app/controllers/program_text.h"

namespace app::answer_texts {

inline constexpr const char* kCountBefore = "共有";
inline constexpr const char* kCountAfter = "题";
inline constexpr const char* kCurrentBefore = "题，当前第";
inline constexpr const char* kEmptyKeyword = "搜索内容为空！";
inline constexpr const char* kOpenFailed = "题库打开失败，请重试！";
inline constexpr const char* kNoMatch = "未查到相关题目";
inline constexpr const char* kFirstResult = "已是搜索结果第一项";
inline constexpr const char* kLastResult = "已是搜索结果最后一项";
inline constexpr const char* kNothingSelected = "未选择记录，不能删除";
inline constexpr const char* kConfirmDelete = "真的删除吗？";
inline constexpr const char* kConfirmCaption = "请确认";
inline constexpr const char* kNoticeCaption = "友情提醒";
inline constexpr const char* kPositionPrefix = "【当前结果/总结果数】：";
// When no question holds the keyword and the results are the questions most like it.
inline constexpr const char* kSimilarPrefix = "【相似结果/总结果数】：";

// "【当前结果/总结果数】：" + current + "/" + total (GBK), or with the similar results' prefix.
inline std::string positionStatus(int current, int total, bool similar = false) {
  return gbk(similar ? kSimilarPrefix : kPositionPrefix) + std::to_string(current) + "/" +
         std::to_string(total);
}

}  // namespace app::answer_texts
