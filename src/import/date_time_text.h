// Date-times as the binding hands them out and writes them as text.
#pragma once
#include <string>

struct XlDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// "2023年1月5日" followed by "13时30分5秒", "13时30分" or "13时" according to the last part of
// the time that is not zero; numbers without leading zeros. GBK text.
std::string dateTimeText(const XlDateTime& date);

// A number as the C format "%.13g" writes it.
std::string numberText(double value);
