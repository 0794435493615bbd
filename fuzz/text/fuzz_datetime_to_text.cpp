// datetime_to_text on arbitrary doubles.
//
// Properties: the text is exactly "Y年M月D日" followed by nothing, "H时",
// "H时M分" or "H时M分S秒", with numbers without leading zeros, the trailing
// fields dropped exactly when they are zero; the date exists in the Gregorian
// calendar between 100-01-01 and 9999-12-31; and the point in time the text
// names is within half a second of the value (clamped to that range; a NaN
// shows 1899-12-30). Before 1899-12-30 the value's whole part counts days
// back and its fraction's magnitude is the time of day.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "text/text.h"

namespace {

// Code page 936 bytes of the units.
const std::string kYear = "\xC4\xEA";
const std::string kMonth = "\xD4\xC2";
const std::string kDay = "\xC8\xD5";
const std::string kHour = "\xCA\xB1";
const std::string kMinute = "\xB7\xD6";
const std::string kSecond = "\xC3\xEB";

bool leap(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(long y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap(y) ? 29 : days[m - 1];
}

// Days from 0001-01-01, counted year by year and month by month.
long long ordinal(long y, int m, int d) {
  const long long p = y - 1;
  long long n = 365 * p + p / 4 - p / 100 + p / 400;
  for (int i = 1; i < m; ++i) n += days_in_month(y, i);
  return n + d - 1;
}

// Reads a number without leading zeros followed by `unit`; advances `pos`.
bool read_field(const std::string& t, size_t& pos, const std::string& unit, long& value) {
  size_t i = pos;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
  if (i == pos || i - pos > 5) return false;
  if (t[pos] == '0' && i - pos > 1) return false;
  if (t.compare(i, unit.size(), unit) != 0) return false;
  value = std::strtol(t.substr(pos, i - pos).c_str(), nullptr, 10);
  pos = i + unit.size();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  double x = 0;
  std::memcpy(&x, data, size < sizeof x ? size : sizeof x);
  const Text t = datetime_to_text(x);
  const std::string shown = hex_bytes(t);

  size_t pos = 0;
  long year, month, day, hour = 0, minute = 0, second = 0;
  FUZZ_CHECK(
      read_field(t, pos, kYear, year) && read_field(t, pos, kMonth, month) && read_field(t, pos, kDay, day),
      "%a: %s has no date", x, shown.c_str());
  FUZZ_CHECK(year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
                 day <= days_in_month(year, static_cast<int>(month)),
             "%a: %s: no such date", x, shown.c_str());
  if (pos < t.size()) {
    FUZZ_CHECK(read_field(t, pos, kHour, hour) && hour <= 23, "%a: %s: bad hour", x, shown.c_str());
    if (pos < t.size()) {
      FUZZ_CHECK(read_field(t, pos, kMinute, minute) && minute <= 59, "%a: %s: bad minute", x, shown.c_str());
      if (pos < t.size()) {
        FUZZ_CHECK(read_field(t, pos, kSecond, second) && second >= 1 && second <= 59, "%a: %s: bad second",
                   x, shown.c_str());
      } else {
        FUZZ_CHECK(minute != 0, "%a: %s: zero minutes shown last", x, shown.c_str());
      }
    } else {
      FUZZ_CHECK(hour != 0, "%a: %s: zero hours shown last", x, shown.c_str());
    }
  }
  FUZZ_CHECK(pos == t.size(), "%a: %s: trailing bytes", x, shown.c_str());

  // The point in time, in seconds from 1899-12-30 00:00:00.
  double v = std::isnan(x) ? 0.0 : x;
  if (v < -657434) v = -657434;
  if (v > 2958465) v = 2958465;
  const double whole = std::trunc(v);
  const double value_seconds = whole * 86400 + std::fabs(v - whole) * 86400;
  const long long text_day =
      ordinal(year, static_cast<int>(month), static_cast<int>(day)) - ordinal(1899, 12, 30);
  const double text_seconds = static_cast<double>(text_day) * 86400 + hour * 3600 + minute * 60 + second;
  FUZZ_CHECK(std::fabs(text_seconds - value_seconds) <= 0.5 + 1e-3, "%a: %s is %.3f s away from the value", x,
             shown.c_str(), text_seconds - value_seconds);
  return 0;
}
