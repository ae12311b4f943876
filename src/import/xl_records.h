// Plain value records of cell formats and fonts, as the wrappers read them from the library.
#pragma once
#include <string>

struct XlFontRecord {
  std::string name;  // GBK; empty: not set
  int size = 0;      // points; 0 or less: not set
  bool italic = false;
  int color = -1;  // 0xBBGGRR; -1: not set
  bool bold = false;
  int script = -1;
  int underline = -1;
  bool strikeOut = false;

  bool operator==(const XlFontRecord&) const = default;
};

// The text a record's number format holds when none is set.
extern const char* const kNoNumberFormat;  // "空" in GBK

struct XlFormatRecord {
  bool locked = false;
  bool hidden = false;
  int borderColor = -1;
  int borderStyle = -1;
  int verticalAlignment = -1;
  int horizontalAlignment = -1;
  int topBorderColor = -1;
  int topBorderStyle = -1;
  std::string numberFormat;  // built-in id as decimal text (< 60), else the custom code
  int backgroundColor = -1;
  int fillPattern = -1;
  int patternForegroundColor = -1;
  int patternBackgroundColor = -1;
  int rotation = -1;
  int indent = -1;
  int bottomBorderStyle = -1;
  int bottomBorderColor = -1;
  int diagonalBorder = -1;
  int diagonalBorderStyle = -1;
  int diagonalBorderColor = -1;
  int rightBorderStyle = -1;
  int rightBorderColor = -1;
  bool wrap = false;
  bool shrinkToFit = false;
  XlFontRecord font;
  int leftBorderStyle = -1;
  int leftBorderColor = -1;

  XlFormatRecord();
  bool operator==(const XlFormatRecord&) const = default;
};

// Empties a record (every attribute not set, number format "空") and returns "空".
std::string emptyFormatRecord(XlFormatRecord& record);
