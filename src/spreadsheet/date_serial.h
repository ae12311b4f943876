// Serial date numbers as spreadsheets store them: days since 30 December 1899 with the time
// of day as the fraction, counted the way Excel counts them in the 1900 date system (which
// has a 29 February 1900, serial 60) or in the 1904 date system. A time of day alone (serial
// 0 to 1) falls on 30 December 1899, not on the "0 January 1900" Excel shows.
#pragma once

namespace xldate {

struct DateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// False when the serial lies outside what a date can show (before year 0 or after 9999).
bool unpack(double serial, bool date1904, DateTime& out);
double pack(const DateTime& date, bool date1904);

}  // namespace xldate
