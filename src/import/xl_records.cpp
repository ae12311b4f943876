#include "import/xl_records.h"

#include "platform/cp936.h"

const char* const kNoNumberFormat = "\xBF\xD5";  // 空

XlFormatRecord::XlFormatRecord() : numberFormat(kNoNumberFormat) {}

std::string emptyFormatRecord(XlFormatRecord& record) {
  record = XlFormatRecord();
  return record.numberFormat;
}
