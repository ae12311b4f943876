#include "net/http_date.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace net {
namespace {

enum class TokenKind { kWord, kNumber, kTime };

struct Token {
  TokenKind kind;
  std::string_view text;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '-'; }

// Words, numbers and h:mm[:ss] times; nullopt on any other character.
std::optional<std::vector<Token>> tokens(std::string_view text) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (isSeparator(c)) {
      ++i;
      continue;
    }
    std::size_t start = i;
    if (isLetter(c)) {
      while (i < text.size() && isLetter(text[i])) ++i;
      out.push_back({TokenKind::kWord, text.substr(start, i - start)});
    } else if (isDigit(c)) {
      bool time = false;
      while (i < text.size() && (isDigit(text[i]) || text[i] == ':')) time |= text[i++] == ':';
      out.push_back({time ? TokenKind::kTime : TokenKind::kNumber, text.substr(start, i - start)});
    } else {
      return std::nullopt;
    }
    if (out.size() > 8) return std::nullopt;  // no date has that many parts
  }
  return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  return true;
}

// A day or month name, abbreviated to three letters or written in full.
int nameIndex(std::string_view word, const std::array<std::string_view, 12>& names,
              std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (equalsIgnoringCase(word, names[i]) || equalsIgnoringCase(word, names[i].substr(0, 3)))
      return int(i);
  }
  return -1;
}

constexpr std::array<std::string_view, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 12> kWeekdays = {
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

std::optional<int> number(std::string_view digits, std::size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  int value = 0;
  for (char c : digits) {
    if (!isDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

struct TimeOfDay {
  int hour, minute, second;
};

std::optional<TimeOfDay> timeOfDay(std::string_view text) {
  std::size_t first = text.find(':');
  std::size_t second = text.find(':', first + 1);
  auto hour = number(text.substr(0, first), 2);
  auto minute = number(text.substr(first + 1, second - first - 1), 2);
  std::optional<int> seconds = 0;
  if (second != std::string_view::npos) seconds = number(text.substr(second + 1), 2);
  if (!hour || !minute || !seconds || *hour > 23 || *minute > 59 || *seconds > 60)
    return std::nullopt;
  // A leap second is shown as the last second of its minute.
  return TimeOfDay{*hour, *minute, *seconds == 60 ? 59 : *seconds};
}

// Two-digit years of RFC 850 dates: 70-99 are 19xx, 00-69 are 20xx.
int fullYear(std::string_view digits, int value) {
  if (digits.size() > 2) return value;
  return value < 70 ? 2000 + value : 1900 + value;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(int year, int month, int day) {
  std::int64_t y = year - (month <= 2 ? 1 : 0);
  std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  std::int64_t yearOfEra = y - era * 400;
  std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// Seconds since 1899-12-30 00:00 to a variant date: before that day the whole part counts
// back while the time of day still counts forward.
double variantDateFromSeconds(std::int64_t seconds) {
  std::int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  double fraction = double(seconds - days * 86400) / 86400.0;
  return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

bool isZone(std::string_view word) {
  return equalsIgnoringCase(word, "GMT") || equalsIgnoringCase(word, "UTC") ||
         equalsIgnoringCase(word, "UT") || equalsIgnoringCase(word, "Z");
}

}  // namespace

double VariantDateOf(int year, int month, int day, int hour, int minute, int second) {
  constexpr std::int64_t kVariantEpochFromUnix = -25569;  // 1899-12-30 in days since 1970-01-01
  return variantDateFromSeconds((daysFromCivil(year, month, day) - kVariantEpochFromUnix) * 86400 +
                                hour * 3600 + minute * 60 + second);
}

std::optional<double> ParseHttpDate(std::string_view text, bool untouched) {
  auto parts = tokens(text);
  if (!parts) return std::nullopt;
  std::vector<Token>& t = *parts;
  std::size_t at = 0;
  if (at < t.size() && t[at].kind == TokenKind::kWord && nameIndex(t[at].text, kWeekdays, 7) >= 0)
    ++at;
  // Day month year time (RFC 1123, RFC 850), or month day time year (asctime).
  std::string_view dayText, monthText, yearText, timeText;
  if (t.size() >= at + 4 && t[at].kind == TokenKind::kNumber &&
      t[at + 1].kind == TokenKind::kWord && t[at + 2].kind == TokenKind::kNumber &&
      t[at + 3].kind == TokenKind::kTime) {
    dayText = t[at].text, monthText = t[at + 1].text, yearText = t[at + 2].text;
    timeText = t[at + 3].text;
  } else if (t.size() >= at + 4 && t[at].kind == TokenKind::kWord &&
             t[at + 1].kind == TokenKind::kNumber && t[at + 2].kind == TokenKind::kTime &&
             t[at + 3].kind == TokenKind::kNumber) {
    monthText = t[at].text, dayText = t[at + 1].text, timeText = t[at + 2].text;
    yearText = t[at + 3].text;
  } else {
    return std::nullopt;
  }
  at += 4;
  if (at < t.size() && t[at].kind == TokenKind::kWord && isZone(t[at].text)) ++at;
  if (at != t.size()) return std::nullopt;

  int month = nameIndex(monthText, kMonths, 12) + 1;
  auto day = number(dayText, 2);
  auto yearValue = number(yearText, 4);
  auto time = timeOfDay(timeText);
  if (month == 0 || !day || !yearValue || !time) return std::nullopt;
  int year = fullYear(yearText, *yearValue);
  if (year < 100 || *day < 1 || *day > daysInMonth(year, month)) return std::nullopt;

  // The status bar shows the time of the UTC+8 zone.
  const int hour = time->hour + (untouched ? 0 : 8);
  return VariantDateOf(year, month, *day, hour, time->minute, time->second);
}

}  // namespace net
