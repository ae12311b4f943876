// Error codes of the record database and their texts. The program itself only tests whether an
// operation succeeded; the texts are for the command-line tools and for diagnostics.
#pragma once

#include <string>

#include "platform/record_file.h"

namespace bank {

enum ErrorCode : int {
  kOk = 0,
  kUnknown = -1,
  kFileNotFound = -3,
  kBadPath = -4,
  kTooManyOpenFiles = -5,
  kAccessDenied = -6,
  kInvalidFile = -7,
  kRemoveCurrentDir = -8,
  kDirectoryFull = -9,
  kSeekFailed = -10,
  kHardwareFault = -11,
  kSharingViolation = -12,
  kLockViolation = -13,
  kDiskFull = -14,
  kEndOfFile = -15,
  kNoFields = -16,
  kBadFieldType = -17,
  kBadFieldName = -18,
  kBadFieldSize = -19,
  kDuplicateFieldName = -20,
  kNotDatabase = -22,
  kVersionTooHigh = -23,
  kBeforeFirst = -25,
  kAfterLast = -26,
  kNoDatabaseOpen = -27,
  kLockFailed = -28,
  kCompanionReadFailed = -35,
  kCompanionVersion = -36,
  kCompanionDamaged = -37,
  kOutOfMemory = -45,
  kReadFieldFailed = -46,
  kFileSizeWrong = -48,
  kCompanionCreateFailed = -50,
  kCompanionAccessFailed = -59,
  kNoCurrentRecord = -60,
  kNoSuchField = -61,
  kReadRecordFailed = -62,
  kWriteRecordFailed = -63,
  kRecordCountFailed = -65,
  kNoCurrentDatabase = -67,
};

// GBK text of a code; the text of -1 for a code without one.
std::string errorText(int code);

// The code that stands for a file-system failure.
int errorOfFault(platform::FileFault fault);

}  // namespace bank
