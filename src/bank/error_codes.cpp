#include "bank/error_codes.h"

#include <utility>

#include "platform/cp936.h"

namespace bank {
namespace {

constexpr std::pair<int, const char*> kTexts[] = {
    {-1, "未知错误"},
    {-3, "指定文件未找到"},
    {-4, "无效的路径"},
    {-5, "打开文件过多"},
    {-6, "指定文件不能被访问"},
    {-7, "无效的文件号"},
    {-8, "不能删除现行工作目录"},
    {-9, "创建目录过多"},
    {-10, "文件指针定位失败"},
    {-11, "访问文件时硬件产生故障"},
    {-12, "访问文件时产生共享冲突"},
    {-13, "加锁文件失败"},
    {-14, "磁盘空间不够"},
    {-15, "已经到达文件尾"},
    {-16, "字段数目必须大于 0 "},
    {-17, "无效的字段类型"},
    {-18,
     "无效的字段名称。名称首字符必须为全半角字母或汉字，其他字符必须为全半角字母、全半角数字或汉"
     "字。名称长度必须小于 16 字符"},
    {-19, "无效的字段尺寸"},
    {-20, "存在重复的字段名称"},
    {-22, "指定文件不是数据库文件"},
    {-23, "指定数据库文件版本太高，无法读入，请升级系统软件"},
    {-25, "已经越过数据库的首记录"},
    {-26, "已经越过数据库的末记录"},
    {-27, "当前未打开数据库"},
    {-28, "加锁失败"},
    {-35, "读入数据库辅助文件失败"},
    {-36, "数据库辅助文件的版本与数据库本身不一致"},
    {-37, "指定文件不是数据库辅助文件或已被损坏"},
    {-45, "分配内存空间失败"},
    {-46, "读指定字段失败"},
    {-48, "数据库文件尺寸错误"},
    {-50, "创建数据库辅助文件失败"},
    {-59, "访问数据库的辅助文件失败"},
    {-60, "现行记录不存在"},
    {-61, "指定字段不存在"},
    {-62, "读记录失败"},
    {-63, "写记录失败"},
    {-65, "取数据库记录数失败"},
    {-67, "未设置当前数据库"},
};

}  // namespace

std::string errorText(int code) {
  for (const auto& [known, text] : kTexts)
    if (known == code) return cp936::fromUtf8(text);
  return cp936::fromUtf8(kTexts[0].second);
}

int errorOfFault(platform::FileFault fault) {
  using platform::FileFault;
  switch (fault) {
    case FileFault::none:
    case FileFault::other:
      return kUnknown;
    case FileFault::notFound:
      return kFileNotFound;
    case FileFault::badPath:
      return kBadPath;
    case FileFault::tooManyOpen:
      return kTooManyOpenFiles;
    case FileFault::accessDenied:
      return kAccessDenied;
    case FileFault::invalidHandle:
      return kInvalidFile;
    case FileFault::removeCurrentDir:
      return kRemoveCurrentDir;
    case FileFault::directoryFull:
      return kDirectoryFull;
    case FileFault::badSeek:
      return kSeekFailed;
    case FileFault::hardwareIo:
      return kHardwareFault;
    case FileFault::sharingViolation:
      return kSharingViolation;
    case FileFault::lockViolation:
      return kLockViolation;
    case FileFault::diskFull:
      return kDiskFull;
    case FileFault::endOfFile:
      return kEndOfFile;
  }
  return kUnknown;
}

}  // namespace bank
