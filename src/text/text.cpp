// Value-to-text rules. Every conversion here is a pure function of its
// arguments (current_datetime reads the clock), keeps no state and may run on
// any thread.
//
// Floating-point steps are written one operation per stored double: the
// Windows build computes with SSE2 and this library is compiled without
// floating-point contraction, so every intermediate below is rounded to a
// double exactly where the code stores it, on every platform.

#include "text/text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#include "text/pow10_table.h"

void free_text(Text& text) {
  if (!text.empty()) Text().swap(text);
}

bool is_lead_byte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

bool is_trail_byte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

size_t char_length(const Text& text, size_t at) {
  if (at + 1 < text.size() && is_lead_byte(static_cast<unsigned char>(text[at])) &&
      is_trail_byte(static_cast<unsigned char>(text[at + 1]))) {
    return 2;
  }
  return 1;
}

namespace {

using text_detail::kMaxPow10;
using text_detail::kPow10;

// Code page 936 bytes of the date and time units, written as escapes so that
// the bytes are the same whichever compiler and execution charset builds this
// file.
constexpr const char kYear[] = "\xC4\xEA";    // 年
constexpr const char kMonth[] = "\xD4\xC2";   // 月
constexpr const char kDay[] = "\xC8\xD5";     // 日
constexpr const char kHour[] = "\xCA\xB1";    // 时
constexpr const char kMinute[] = "\xB7\xD6";  // 分
constexpr const char kSecond[] = "\xC3\xEB";  // 秒

// 10^k for 0 <= k; +infinity past the double range.
double power_of_ten(long long k) {
  if (k > kMaxPow10) return std::numeric_limits<double>::infinity();
  return kPow10[k];
}

// ---------------------------------------------------------------------------
// Non-finite values.
//
// The NaN that an invalid operation (0/0, inf - inf, sqrt(-1), ...) produces
// on x86, with SSE as with the x87 unit, is the "real indefinite": sign bit
// set, exponent all ones, and of the fraction only the quiet bit, i.e.
// 0xFFF8000000000000 as a double and 0xFFC00000 as a single. That exact bit
// pattern is shown as "-1.#IND". Every other NaN, including the positive
// quiet NaN that std::numeric_limits<double>::quiet_NaN() gives, is "1.#QNAN",
// with "-" in front when its sign bit is set.

constexpr uint64_t kIndefiniteDouble = 0xFFF8000000000000ULL;
constexpr uint32_t kIndefiniteSingle = 0xFFC00000U;

Text non_finite_text(bool negative, bool infinite, bool indefinite) {
  if (indefinite) return "-1.#IND";
  Text t = negative ? "-" : "";
  t += infinite ? "1.#INF" : "1.#QNAN";
  return t;
}

// ---------------------------------------------------------------------------
// General layout with `precision` significant digits (13 for reals, 6 for
// singles) of a finite double.
//
// The 17-digit expansion is the nearest 17-digit decimal of |v| (std::to_chars
// is exact). Which way an exact tie at the 17th digit goes never changes the
// result: a tie can only move the shorter rounding when every digit between
// the two positions is 9, and then the 17th digit is 9, odd, and both "half
// up" and "half to even" round it up.
Text layout_general(double v, int precision) {
  if (v == 0.0) return "0";

  char buf[40];
  const auto conv = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 16);
  // buf holds "d.dddddddddddddddde[+-]dd[d]".
  char digits[17];
  digits[0] = buf[0];
  std::memcpy(digits + 1, buf + 2, 16);
  const char* exp_text = buf + 19;  // after the 'e'
  int exponent = 0;
  std::from_chars(exp_text + (*exp_text == '+' ? 1 : 0), conv.ptr, exponent);

  // Round to `precision` digits on the next digit alone, with carry.
  if (digits[precision] >= '5') {
    int i = precision - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits[0] = '1';  // the rest are zeros already
      ++exponent;
    }
  }
  int used = precision;
  while (used > 1 && digits[used - 1] == '0') --used;  // trailing zeros

  Text t;
  if (v < 0) t += '-';
  if (exponent < -4 || exponent >= precision) {
    t += digits[0];
    if (used > 1) {
      t += '.';
      t.append(digits + 1, used - 1);
    }
    t += 'e';
    t += exponent < 0 ? '-' : '+';
    const int magnitude = exponent < 0 ? -exponent : exponent;
    char e[8];
    const auto end = std::to_chars(e, e + sizeof e, magnitude).ptr;
    for (auto n = end - e; n < 3; ++n) t += '0';
    t.append(e, end);
  } else if (exponent >= 0) {
    const int whole = exponent + 1;  // whole <= precision
    if (used <= whole) {
      t.append(digits, used);
      t.append(static_cast<size_t>(whole - used), '0');
    } else {
      t.append(digits, whole);
      t += '.';
      t.append(digits + whole, used - whole);
    }
  } else {
    t += "0.";
    t.append(static_cast<size_t>(-exponent - 1), '0');
    t.append(digits, used);
  }
  return t;
}

// ---------------------------------------------------------------------------
// The six-digit rounding of a single, in double precision.

// log10(2), the double nearest to it.
constexpr double kLog10Of2 = 0.30102999566398119521;

double single_rounded_to_six_digits(float x) {
  const uint32_t bits = std::bit_cast<uint32_t>(x);
  const int field = static_cast<int>((bits >> 23) & 0xFFu);
  const uint32_t fraction = bits & 0x7FFFFFu;

  // The binary exponent. For a normal single it is the biased field minus
  // 127. A subnormal single has the field 0 for every value from 2^-149 up to
  // 2^-126; taking -127 for all of them would leave the small ones several
  // decades short of six digits, down to showing "0" for a value that is not
  // zero. A subnormal therefore takes the exponent of its highest set bit, so
  // that it gets six significant digits like every other single.
  int e;
  if (field == 0) {
    e = (31 - std::countl_zero(fraction)) - 149;
  } else {
    e = static_cast<int8_t>(field - 127);
  }

  const double magnitude = std::fabs(static_cast<double>(x));
  const double product = e * kLog10Of2;
  int k = static_cast<int>(product);  // toward zero
  const double s = power_of_ten(k < 0 ? -k : k);
  const double m = k > 0 ? magnitude / s : magnitude * s;

  double v;
  if (m >= 10) {
    k = k + 1;
    v = m * 10000;
  } else if (m < 1) {
    k = k - 1;
    v = m * 1000000;
  } else {
    v = m * 100000;
  }

  double whole;
  const double frac = std::modf(v, &whole);
  const double n = frac >= 0.5 ? whole + 1 : whole;

  double shown;
  if (k > 0) {
    const double scale = power_of_ten(k) * 0.00001;
    shown = n * scale;
  } else {
    const double scale = power_of_ten(-k) * 100000;
    shown = n / scale;
  }
  return x < 0 ? -shown : shown;
}

// ---------------------------------------------------------------------------
// Gregorian calendar, days counted from 1970-01-01 (proleptic, valid far
// beyond the years 100 to 9999 that a DateTime can show).

struct CivilDate {
  long long year;
  unsigned month;
  unsigned day;
};

CivilDate civil_from_days(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const long long year = static_cast<long long>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
  return {year, month, day};
}

long long days_from_civil(long long year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(year - era * 400);
  const unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr long long kDateTimeOf1970 = 25569;  // 1970-01-01 as a DateTime day
constexpr double kFirstDateTime = -657434;    // 0100-01-01 00:00:00
constexpr double kLastDateTime = 2958465;     // 9999-12-31 00:00:00

// ---------------------------------------------------------------------------
// Full-width forms of code page 936 that have a half-width form.

Text narrow_full_width(const Text& text) {
  Text out;
  out.reserve(text.size());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const auto lead = static_cast<unsigned char>(text[i]);
    // A stray lead byte is a single byte and is kept as it is.
    if (char_length(text, i) == 2) {
      const auto trail = static_cast<unsigned char>(text[i + 1]);
      if (lead == 0xA3 && trail >= 0xA1) {
        out += static_cast<char>(trail - 0x80);  // A3A1..A3FE -> 21..7E
      } else if (lead == 0xA1 && trail == 0xA1) {
        out += ' ';
      } else if (lead == 0xA1 && trail == 0xAB) {
        out += '~';
      } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
        out += '*';
      } else {
        out += text[i];
        out += text[i + 1];
      }
      i += 2;
    } else {
      out += text[i];
      i += 1;
    }
  }
  return out;
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// ===========================================================================

Text int_to_text(int32_t value) {
  char buf[16];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  return Text(buf, end);
}

Text real_to_text(double value) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  if (!std::isfinite(value)) {
    return non_finite_text(std::signbit(value), std::isinf(value), bits == kIndefiniteDouble);
  }
  return layout_general(value, 13);
}

Text single_to_text(float value) {
  const uint32_t bits = std::bit_cast<uint32_t>(value);
  if (!std::isfinite(value)) {
    return non_finite_text(std::signbit(value), std::isinf(value), bits == kIndefiniteSingle);
  }
  if (value == 0.0f) return "0";
  return layout_general(single_rounded_to_six_digits(value), 6);
}

Text datetime_to_text(DateTime value) {
  // A NaN is no point in time; it is shown as the DateTime 0, 1899-12-30.
  double v = std::isnan(value) ? 0.0 : value;
  if (v < kFirstDateTime) v = kFirstDateTime;
  if (v > kLastDateTime) v = kLastDateTime;

  // Round to the nearest second: half a second away from zero.
  const double half_second = 1.0 / 172800.0;
  const double r = v > 0 ? v + half_second : v - half_second;
  const double whole = std::trunc(r);
  long long day = static_cast<long long>(whole);
  long long seconds = static_cast<long long>(std::fabs(r - whole) * 86400.0);
  if (seconds > 86399) seconds = 86399;  // cannot happen for a fraction below 1

  // Before 1899-12-30 the whole part counts days backwards while the time of
  // day still runs forwards (-1.75 is 1899-12-29 18:00). Moving such a value
  // half a second away from zero moves its time of day towards midnight at the
  // START of its day; when that crosses the whole day, the value was at
  // 23:59:59.5 or later and becomes 00:00:00 of the next day, not the day
  // before.
  const double day_of_value = std::trunc(v);
  if (v < 0 && whole != day_of_value) {
    day = static_cast<long long>(day_of_value) + 1;
    seconds = 0;
  }

  const CivilDate date = civil_from_days(day - kDateTimeOf1970);
  const long long hour = seconds / 3600;
  const long long minute = seconds / 60 % 60;
  const long long second = seconds % 60;

  Text t = std::to_string(date.year) + kYear + std::to_string(date.month) + kMonth +
           std::to_string(date.day) + kDay;
  if (second != 0) {
    t += std::to_string(hour) + kHour + std::to_string(minute) + kMinute + std::to_string(second) + kSecond;
  } else if (minute != 0) {
    t += std::to_string(hour) + kHour + std::to_string(minute) + kMinute;
  } else if (hour != 0) {
    t += std::to_string(hour) + kHour;
  }
  return t;
}

DateTime datetime_from_fields(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                              int32_t second) {
  const long long days =
      days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kDateTimeOf1970;
  const int clamped_second = second > 59 ? 59 : second;  // a leap second
  const double time_of_day = (hour * 3600 + minute * 60 + clamped_second) / 86400.0;
  return days < 0 ? static_cast<double>(days) - time_of_day : static_cast<double>(days) + time_of_day;
}

DateTime current_datetime() {
#ifdef _WIN32
  // The system's local time, from Windows itself: the C runtime's clock of
  // the 32-bit program ends in 2038 and follows a TZ variable of its own.
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return datetime_from_fields(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                              local.wSecond);
#else
  const std::time_t now = std::time(nullptr);
  if (now == static_cast<std::time_t>(-1)) return 0.0;
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return 0.0;
  return datetime_from_fields(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                              local.tm_min, local.tm_sec);
#endif
}

double round_to_decimals(double x, int32_t decimals) {
  if (x == 0.0 || std::isnan(x)) return x;
  const bool negative = std::signbit(x);
  const double a = std::fabs(x);
  const double bias = 1e-12;
  const long long n = decimals;  // so that -INT32_MIN cannot overflow

  double result;
  if (n > 0) {
    const double p = power_of_ten(n);
    const double q = a * p;
    // Past the double range the value has no digit at that decimal place to
    // round; scaling would only turn it into inf/inf.
    if (std::isinf(q)) return x;
    const double r = q + bias;
    double w;
    const double f = std::modf(r, &w);
    if (f >= 0.5) w = w + 1;
    result = w / p;
  } else if (n == 0) {
    const double r = a + bias;
    double w;
    const double f = std::modf(r, &w);
    result = f >= 0.5 ? w + 1 : w;
  } else {
    const double p = power_of_ten(-n);
    // A unit beyond the double range is more than twice any finite value:
    // everything rounds to zero (0 * inf would be a NaN).
    if (std::isinf(p)) return negative ? -0.0 : 0.0;
    const double q = a / p;
    const double r = q + bias;
    double w;
    const double f = std::modf(r, &w);
    if (f >= 0.5) w = w + 1;
    result = w * p;
  }
  return negative ? -result : result;
}

// For a zero divisor both give what IEEE arithmetic gives: trunc_divide a
// signed infinity (a NaN for 0/0), real_remainder a NaN.
double trunc_divide(double a, double b) { return std::trunc(a / b); }

double real_remainder(double a, double b) { return std::fmod(a, b); }

Text char_from_code(int32_t code) {
  const char byte = static_cast<char>(static_cast<uint32_t>(code) & 0xFFu);
  if (byte == 0) return Text();
  return Text(1, byte);
}

double text_to_number(const Text& text) {
  const Text s = narrow_full_width(text);
  const size_t n = s.size();
  size_t i = 0;
  while (i < n && is_space(s[i])) ++i;

  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }

  // digits [ "." digits ] ; at least one digit on either side of the point
  // (".5" reads as 0.5 and "5." as 5, as people write them).
  const size_t start = i;
  size_t first_nonzero = std::string::npos;
  size_t whole_digits = 0;
  while (i < n && is_digit(s[i])) {
    if (first_nonzero == std::string::npos && s[i] != '0') first_nonzero = i;
    ++i;
    ++whole_digits;
  }
  size_t point = std::string::npos;
  size_t fraction_digits = 0;
  if (i < n && s[i] == '.') {
    size_t j = i + 1;
    while (j < n && is_digit(s[j])) {
      if (first_nonzero == std::string::npos && s[j] != '0') first_nonzero = j;
      ++j;
      ++fraction_digits;
    }
    if (whole_digits + fraction_digits > 0) {
      point = i;
      i = j;
    }
  }
  if (whole_digits + fraction_digits == 0) return 0.0;

  // Optional exponent: e or E, optional sign, at least one digit.
  long long exponent = 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    bool exponent_negative = false;
    if (j < n && (s[j] == '+' || s[j] == '-')) {
      exponent_negative = s[j] == '-';
      ++j;
    }
    if (j < n && is_digit(s[j])) {
      while (j < n && is_digit(s[j])) {
        if (exponent < 1000000000) exponent = exponent * 10 + (s[j] - '0');
        ++j;
      }
      if (exponent_negative) exponent = -exponent;
      i = j;
    }
  }

  double value = 0.0;
  const auto parsed = std::from_chars(s.data() + start, s.data() + i, value, std::chars_format::general);
  if (parsed.ec == std::errc::result_out_of_range) {
    // Beyond the double range the nearest real is infinity; below the
    // smallest subnormal it is zero. The decimal order of the first
    // significant digit tells which.
    long long order;
    if (first_nonzero == std::string::npos) {
      order = 0;
    } else if (point == std::string::npos || first_nonzero < point) {
      const size_t end_of_whole = point == std::string::npos ? start + whole_digits : point;
      order = static_cast<long long>(end_of_whole - first_nonzero) - 1;
    } else {
      order = -static_cast<long long>(first_nonzero - point);
    }
    order += exponent;
    value = order > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (parsed.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}
