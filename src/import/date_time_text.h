// Date-times as the binding hands them out.
#pragma once

struct XlDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};
