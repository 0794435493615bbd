// Tables of the value-to-text rules: what each value shows as, byte for byte.
// Narrow literals are code page 936 (the build's execution charset), so the
// Chinese date texts below are compared as the GBK bytes the program shows.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

#include "text/text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kDoubleMax = std::numeric_limits<double>::max();
constexpr double kDoubleMinNormal = std::numeric_limits<double>::min();
constexpr double kDoubleMinSubnormal = std::numeric_limits<double>::denorm_min();
constexpr float kSingleMax = std::numeric_limits<float>::max();
constexpr float kSingleMinNormal = std::numeric_limits<float>::min();
constexpr float kSingleMinSubnormal = std::numeric_limits<float>::denorm_min();

double from_bits(uint64_t bits) { return std::bit_cast<double>(bits); }
float from_bits32(uint32_t bits) { return std::bit_cast<float>(bits); }

// Equal as bit patterns (so -0.0 differs from 0.0), or both NaN.
::testing::AssertionResult same_real(double expected, double actual) {
  if ((std::isnan(expected) && std::isnan(actual)) ||
      std::bit_cast<uint64_t>(expected) == std::bit_cast<uint64_t>(actual)) {
    return ::testing::AssertionSuccess();
  }
  char buf[128];
  std::snprintf(buf, sizeof buf, "expected %a, got %a", expected, actual);
  return ::testing::AssertionFailure() << buf;
}

// A DateTime from a day number and a time of day in seconds.
DateTime at(double day, double seconds) { return day + seconds / 86400.0; }

// Day numbers (days since 1899-12-30) of dates used below.
constexpr double k2011_08_01 = 40756;
constexpr double k2011_12_31 = 40908;

// --- int_to_text -----------------------------------------------------------

TEST(IntToText, DecimalWithSignOnlyWhenNegative) {
  const struct {
    int32_t value;
    const char* text;
  } cases[] = {
      {2793, "2793"}, {-5, "-5"}, {0, "0"}, {10, "10"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"},
  };
  for (const auto& c : cases) EXPECT_EQ(int_to_text(c.value), c.text) << c.value;
}

// --- real_to_text ----------------------------------------------------------

struct RealCase {
  double value;
  const char* text;
};

TEST(RealToText, ThirteenSignificantDigits) {
  const RealCase cases[] = {
      {0.5 * 100, "50"},
      {30.000000000000004, "30"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.3333333333333"},
      {2.0 / 3, "0.6666666666667"},
      {123456.789, "123456.789"},
      {0.0001, "0.0001"},
      {0.00001, "1e-005"},
      {1234567890123.0, "1234567890123"},
      {12345678901234.0, "1.234567890123e+013"},
      {9999999999999.5, "1e+013"},
      {-0.5, "-0.5"},
      {-0.0, "0"},
      {0.0, "0"},
      {1.0, "1"},
      {100.0, "100"},
      {0.1, "0.1"},
      {-1234.5, "-1234.5"},
      {12345.678901234567, "12345.67890123"},
      {4.5e15, "4.5e+015"},
      {1e100, "1e+100"},
      {1e-100, "1e-100"},
      {1.23e-5, "1.23e-005"},
  };
  for (const auto& c : cases) EXPECT_EQ(real_to_text(c.value), c.text) << c.value;
}

TEST(RealToText, RoundingAtTheThirteenthDigit) {
  const RealCase cases[] = {
      // exactly half of the 13th digit, and the double just below it
      {1234567890123.5, "1234567890124"},
      {1234567890123.4998, "1234567890123"},
      {9999999999999.4, "9999999999999"},
      // the double nearest 0.12345678901235 lies below the half
      {0.12345678901235, "0.1234567890123"},
      {0.12345678901245, "0.1234567890125"},
      // carry through every digit grows the exponent
      {-9.9999999999995, "-10"},
      {0.99999999999995, "1"},
      {999999999999.95, "999999999999.9"},
      // 1.99999999999949995555: its 17-digit form 1.9999999999995000 is
      // what is rounded to 13 digits, and that rounds up
      {1.9999999999995, "2"},
      {1.0000000000004998, "1"},
      {1.0000000000005, "1.000000000001"},
  };
  for (const auto& c : cases) EXPECT_EQ(real_to_text(c.value), c.text) << c.value;
}

TEST(RealToText, LayoutSwitchesAtTheExponentLimits) {
  const RealCase cases[] = {
      {9999999999999.0, "9999999999999"},            // E = 12: plain
      {1e13, "1e+013"},                              // E = 13: exponent
      {0.0001, "0.0001"},                            // E = -4: plain
      {0.00009999999999999, "9.999999999999e-005"},  // E = -5: exponent
      {0.000099999999999995, "0.0001"},              // rounds up into E = -4
      {0.00009999999999999995, "0.0001"},
      {0.00012345, "0.00012345"},
  };
  for (const auto& c : cases) EXPECT_EQ(real_to_text(c.value), c.text) << c.value;
}

TEST(RealToText, ExtremesOfTheDoubleRange) {
  const RealCase cases[] = {
      {kDoubleMax, "1.797693134862e+308"},
      {-kDoubleMax, "-1.797693134862e+308"},
      {kDoubleMinNormal, "2.225073858507e-308"},
      {kDoubleMinSubnormal, "4.940656458412e-324"},
      {-kDoubleMinSubnormal, "-4.940656458412e-324"},
      {from_bits(0x000FFFFFFFFFFFFFULL), "2.225073858507e-308"},  // largest subnormal
      {1e-310, "1e-310"},
  };
  for (const auto& c : cases) EXPECT_EQ(real_to_text(c.value), c.text) << c.value;
}

TEST(RealToText, NonFiniteValues) {
  volatile double zero = 0.0;
  const double invalid = zero / zero;  // the NaN of an invalid operation
  const RealCase cases[] = {
      {kInf, "1.#INF"},
      {-kInf, "-1.#INF"},
      {from_bits(0xFFF8000000000000ULL), "-1.#IND"},
      {invalid, "-1.#IND"},
      {std::numeric_limits<double>::quiet_NaN(), "1.#QNAN"},  // 0x7FF8...
      {from_bits(0x7FF8000000000001ULL), "1.#QNAN"},
      {from_bits(0xFFF8000000000001ULL), "-1.#QNAN"},
      {from_bits(0x7FF0000000000001ULL), "1.#QNAN"},   // signalling
      {from_bits(0xFFF4000000000000ULL), "-1.#QNAN"},  // signalling
  };
  for (const auto& c : cases) EXPECT_EQ(real_to_text(c.value), c.text) << c.text;
}

#if defined(__i386__) || defined(__x86_64__)
TEST(RealToText, InvalidOperationNaNIsTheIndefiniteOnX86) {
  volatile double zero = 0.0;
  volatile double inf = kInf;
  EXPECT_EQ(std::bit_cast<uint64_t>(zero / zero), 0xFFF8000000000000ULL);
  EXPECT_EQ(std::bit_cast<uint64_t>(inf - inf), 0xFFF8000000000000ULL);
  volatile float zf = 0.0f;
  EXPECT_EQ(std::bit_cast<uint32_t>(zf / zf), 0xFFC00000U);
}
#endif

// --- round_to_decimals -----------------------------------------------------

struct RoundCase {
  double x;
  int32_t n;
  double result;
  const char* text;
};

TEST(RoundToDecimals, HalfAwayFromZeroWithBias) {
  const RoundCase cases[] = {
      {12.5, 0, 13, "13"},
      {2.5, 0, 3, "3"},
      {-2.5, 0, -3, "-3"},
      {0.045, 2, 0.05, "0.05"},
      {2.675, 2, 2.68, "2.68"},
      {1.005, 2, 1.01, "1.01"},
      {0.35, 1, 0.4, "0.4"},
      {12.344999, 2, 12.34, "12.34"},
      {3.14159, 3, 3.142, "3.142"},
      {1234.5, -2, 1200, "1200"},
      {1250, -2, 1300, "1300"},
      {0, 2, 0, "0"},
      // just below each half
      {0.044999, 2, 0.04, "0.04"},
      {2.6749999, 2, 2.67, "2.67"},
      {0.49999999999, 0, 0, "0"},
      {1249.99, -2, 1200, "1200"},
      // within the bias of the half: rounds up
      {0.4999999999995, 0, 1, "1"},
      {-0.4999999999995, 0, -1, "-1"},
      // already at the precision
      {1.5, 1, 1.5, "1.5"},
      {-7.25, 2, -7.25, "-7.25"},
      {123456789, 0, 123456789, "123456789"},
      {0.5, 0, 1, "1"},
      {-1.005, 2, -1.01, "-1.01"},
      {55, -1, 60, "60"},
      {4.5e15, 3, 4.5e15, "4.5e+015"},
  };
  for (const auto& c : cases) {
    const double r = round_to_decimals(c.x, c.n);
    EXPECT_TRUE(same_real(c.result, r)) << c.x << " to " << c.n;
    EXPECT_EQ(real_to_text(r), c.text) << c.x << " to " << c.n;
  }
}

TEST(RoundToDecimals, TheResultIsTheDoubleNearestTheRoundedDecimal) {
  EXPECT_TRUE(same_real(0x1.570a3d70a3d71p+1, round_to_decimals(2.675, 2)));  // 2.68
  EXPECT_TRUE(same_real(2.68, round_to_decimals(2.675, 2)));
  EXPECT_TRUE(same_real(1.01, round_to_decimals(1.005, 2)));
  EXPECT_TRUE(same_real(0.05, round_to_decimals(0.045, 2)));
}

TEST(RoundToDecimals, ZeroNaNAndInfinityPassThrough) {
  const struct {
    double x;
    int32_t n;
    double result;
  } cases[] = {
      {-0.0, 2, -0.0},
      {-0.0, 0, -0.0},
      {-0.0, -3, -0.0},
      {0.0, -3, 0.0},
      {-0.001, 2, -0.0},  // rounds to zero and keeps the sign
      {-0.4, 0, -0.0},
      {-40.0, -2, -0.0},
      {kInf, 2, kInf},
      {-kInf, 0, -kInf},
      {kInf, -2, kInf},
      {std::numeric_limits<double>::quiet_NaN(), 2, std::numeric_limits<double>::quiet_NaN()},
      {kDoubleMinSubnormal, 2, 0.0},
      {-kDoubleMinSubnormal, 2, -0.0},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(same_real(c.result, round_to_decimals(c.x, c.n))) << c.x << " to " << c.n;
  }
}

// Scaling by powers of ten beyond the double range must not turn a value into
// inf/inf or 0*inf (NaN).
TEST(RoundToDecimals, DecimalCountsBeyondTheDoubleRange) {
  const struct {
    double x;
    int32_t n;
    double result;
  } cases[] = {
      {1e300, 10, 1e300},                             // |x| * 10^10 overflows
      {kDoubleMax, 1, kDoubleMax},  {1.5, 400, 1.5},  // 10^400 is not a double
      {-1.5, INT32_MAX, -1.5},      {1e-300, 400, 1e-300}, {1.5, -400, 0.0}, {-kDoubleMax, -400, -0.0},
      {kDoubleMax, INT32_MIN, 0.0}, {1.7e308, -308, kInf},  // 2e308 is past the range: overflows honestly
      {1.2e308, -308, 1e308},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(same_real(c.result, round_to_decimals(c.x, c.n))) << c.x << " to " << c.n;
  }
}

// --- single_to_text --------------------------------------------------------

struct SingleCase {
  float value;
  const char* text;
};

TEST(SingleToText, SixSignificantDigits) {
  const SingleCase cases[] = {
      {1.234f, "1.234"},
      {12.346f, "12.346"},
      {0.1f, "0.1"},
      {3.0f, "3"},
      {123456.7f, "123457"},
      {99999.95f, "100000"},
      {999999.5f, "1e+006"},
      {1234567.0f, "1.23457e+006"},
      {16777216.0f, "1.67772e+007"},
      {0.0001f, "0.0001"},
      {0.00001f, "1e-005"},
      {-1.234f, "-1.234"},
      {0.5f, "0.5"},
      {2.5f, "2.5"},
      {65536.5f, "65536.5"},
      {12345.65f, "12345.7"},  // the single is 12345.650390625
      {1.5e-5f, "1.5e-005"},
      {8388607.5f, "8.38861e+006"},
      {16777215.0f, "1.67772e+007"},
  };
  for (const auto& c : cases) EXPECT_EQ(single_to_text(c.value), c.text) << c.value;
}

TEST(SingleToText, RoundingAtTheSixthDigit) {
  const SingleCase cases[] = {
      {1.234565f, "1.23457"},   // 1.2345650196...
      {1.2345649f, "1.23456"},  // 1.2345649003...
      {999999.4f, "999999"},
      {999999.5f, "1e+006"},
      {123457.5f, "123458"},
      // 123456.5 is exact, but its scaled form 123456.5 / 10^5 * 10^5 comes
      // out as 123456.49999999999 in double steps, which rounds down.
      {123456.5f, "123456"},
      {0.0000999995f, "9.99995e-005"},
      {0.00009999f, "9.999e-005"},
  };
  for (const auto& c : cases) EXPECT_EQ(single_to_text(c.value), c.text) << c.value;
}

TEST(SingleToText, ExtremesZeroAndSubnormals) {
  const SingleCase cases[] = {
      {0.0f, "0"},
      {-0.0f, "0"},
      {kSingleMax, "3.40282e+038"},
      {-kSingleMax, "-3.40282e+038"},
      {kSingleMinNormal, "1.17549e-038"},
      {from_bits32(0x007FFFFF), "1.17549e-038"},  // largest subnormal
      {1e-40f, "9.99995e-041"},                   // 9.99994610e-41
      {kSingleMinSubnormal, "1.4013e-045"},
      {-kSingleMinSubnormal, "-1.4013e-045"},
      {from_bits32(0x00000002), "2.8026e-045"},
      {from_bits32(0x00000005), "7.00649e-045"},
  };
  for (const auto& c : cases) EXPECT_EQ(single_to_text(c.value), c.text) << c.value;
}

TEST(SingleToText, NonFiniteValues) {
  volatile float zero = 0.0f;
  const SingleCase cases[] = {
      {std::numeric_limits<float>::infinity(), "1.#INF"},
      {-std::numeric_limits<float>::infinity(), "-1.#INF"},
      {from_bits32(0xFFC00000), "-1.#IND"},
      {zero / zero, "-1.#IND"},
      {std::numeric_limits<float>::quiet_NaN(), "1.#QNAN"},
      {from_bits32(0xFFC00001), "-1.#QNAN"},
      {from_bits32(0x7F800001), "1.#QNAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(single_to_text(c.value), c.text) << c.text;
}

// --- datetime_to_text ------------------------------------------------------

struct DateCase {
  DateTime value;
  const char* text;
};

TEST(DateTimeToText, TimeOfDayDropsTrailingZeroFields) {
  const DateCase cases[] = {
      {at(k2011_08_01, 3 * 3600 + 49 * 60 + 10), "2011年8月1日3时49分10秒"},
      {40756.159143518519, "2011年8月1日3时49分10秒"},
      {at(k2011_08_01, 3 * 3600 + 49 * 60), "2011年8月1日3时49分"},
      {at(k2011_08_01, 3 * 3600), "2011年8月1日3时"},
      {k2011_08_01, "2011年8月1日"},
      {at(k2011_08_01, 5), "2011年8月1日0时0分5秒"},
      {at(k2011_08_01, 5 * 60), "2011年8月1日0时5分"},
      {at(k2011_12_31, 86399.7), "2012年1月1日"},
      {at(k2011_08_01, 23 * 3600 + 59 * 60 + 59), "2011年8月1日23时59分59秒"},
      {at(k2011_08_01, 12 * 3600 + 5), "2011年8月1日12时0分5秒"},
  };
  for (const auto& c : cases) EXPECT_EQ(datetime_to_text(c.value), c.text) << c.value;
}

TEST(DateTimeToText, RoundsToTheNearestSecond) {
  const DateCase cases[] = {
      {at(k2011_08_01, 59.4), "2011年8月1日0时0分59秒"},
      {at(k2011_08_01, 59.6), "2011年8月1日0时1分"},
      {at(k2011_08_01, 86399.4), "2011年8月1日23时59分59秒"},
      {at(k2011_08_01, 86399.5), "2011年8月2日"},
      {at(k2011_08_01, 0.4), "2011年8月1日"},
  };
  for (const auto& c : cases) EXPECT_EQ(datetime_to_text(c.value), c.text) << c.value;
}

TEST(DateTimeToText, GregorianLeapDays) {
  const DateCase cases[] = {
      {60, "1900年2月28日"},     {61, "1900年3月1日"},  // 1900 has no 29 February
      {36585, "2000年2月29日"},  {36586, "2000年3月1日"},  {73109, "2100年2月28日"},
      {73110, "2100年3月1日"},  // nor has 2100
      {45351, "2024年2月29日"},  {1521, "1904年2月29日"},  {-109512, "1600年2月29日"},
      {-657376, "100年2月28日"}, {-657375, "100年3月1日"}, {40909, "2012年1月1日"},
  };
  for (const auto& c : cases) EXPECT_EQ(datetime_to_text(c.value), c.text) << c.value;
}

TEST(DateTimeToText, ClampedToYears100To9999) {
  const DateCase cases[] = {
      {-657434, "100年1月1日"},  {-657434.75, "100年1月1日"}, {-1e300, "100年1月1日"},
      {-kInf, "100年1月1日"},    {2958465, "9999年12月31日"}, {2958465.75, "9999年12月31日"},
      {1e300, "9999年12月31日"}, {kInf, "9999年12月31日"},    {2958464.5, "9999年12月30日12时"},
      {-657432, "100年1月3日"},
  };
  for (const auto& c : cases) EXPECT_EQ(datetime_to_text(c.value), c.text) << c.value;
}

// Before 1899-12-30 the whole part counts days back and the fraction's
// magnitude is still the time of day: -1.25 is 1899-12-29 06:00.
TEST(DateTimeToText, DaysBefore1899_12_30) {
  const DateCase cases[] = {
      {0.0, "1899年12月30日"},
      {-0.0, "1899年12月30日"},
      {-0.5, "1899年12月30日12时"},
      {-1.0, "1899年12月29日"},
      {-1.25, "1899年12月29日6时"},
      {-1.75, "1899年12月29日18时"},
      {at(-1, -(3600 + 60 + 1)), "1899年12月29日1时1分1秒"},
      {-36522, "1800年1月1日"},
      {-115869, "1582年10月4日"},
      // 23:59:59.5 and later becomes 00:00:00 of the next day, here too
      {at(-1, -86399.7), "1899年12月30日"},
      {at(-0.0, -86399.7), "1899年12月31日"},
      {at(-36522, -86399.9), "1800年1月2日"},
      {at(-1, -86399.4), "1899年12月29日23时59分59秒"},
      {-657433.9999999, "100年1月3日"},
  };
  for (const auto& c : cases) EXPECT_EQ(datetime_to_text(c.value), c.text) << c.value;
}

TEST(DateTimeToText, NaNIsShownAsDayZero) {
  EXPECT_EQ(datetime_to_text(std::numeric_limits<double>::quiet_NaN()), "1899年12月30日");
  EXPECT_EQ(datetime_to_text(from_bits(0xFFF8000000000000ULL)), "1899年12月30日");
}

// --- code page 936 characters ----------------------------------------------

TEST(Characters936, LeadAndTrailBytesMakeDoubleByteCharacters) {
  struct Row {
    const char* name;
    Text text;
    size_t at;
    size_t length;
  };
  const Row rows[] = {
      {"ASCII letter", "ab", 0, 1},
      {"first lead and first trail", "\x81\x40", 0, 2},
      {"last lead and last trail", "\xFE\xFE", 0, 2},
      {"a backslash can be a trail byte", "\x81\\", 0, 2},
      {"0x80, the euro sign, stands alone", "\x80\x40", 0, 1},
      {"0xFF stands alone", "\xFF\x40", 0, 1},
      {"0x7F cannot follow a lead byte", "\x81\x7F", 0, 1},
      {"a dot cannot follow a lead byte", "\x81.", 0, 1},
      {"a lead byte at the end", "a\x81", 1, 1},
      {"the second character of a pair of pairs", "\xB2\xE2\xCA\xD4", 2, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(char_length(r.text, r.at), r.length);
  }
  EXPECT_FALSE(is_lead_byte(0x80));
  EXPECT_TRUE(is_lead_byte(0x81));
  EXPECT_TRUE(is_lead_byte(0xFE));
  EXPECT_FALSE(is_lead_byte(0xFF));
  EXPECT_FALSE(is_trail_byte(0x3F));
  EXPECT_TRUE(is_trail_byte(0x40));
  EXPECT_FALSE(is_trail_byte(0x7F));
  EXPECT_TRUE(is_trail_byte(0x80));
  EXPECT_TRUE(is_trail_byte(0xFE));
  EXPECT_FALSE(is_trail_byte(0xFF));
}

// --- current_datetime ------------------------------------------------------

// The clock in days since 1899-12-30, in UTC, whole seconds.
double utc_now_days() { return 25569.0 + static_cast<double>(std::time(nullptr)) / 86400.0; }

TEST(CurrentDateTime, IsTheClockInLocalTimeInWholeSeconds) {
  const double before = utc_now_days();
  const DateTime now = current_datetime();
  const double after = utc_now_days();

  // Whole seconds: the time of day is a whole number of seconds.
  const double seconds_of_day = (now - std::floor(now)) * 86400.0;
  EXPECT_NEAR(seconds_of_day, std::round(seconds_of_day), 1e-4);

  // Local time differs from UTC by the zone's offset, a whole number of
  // quarter hours of at most 14 hours, whatever zone this machine is in.
  const double offset_low = (now - after) * 86400.0;
  const double offset_high = (now - before) * 86400.0;
  const double offset = std::round(offset_high / 900.0) * 900.0;
  EXPECT_GE(offset, offset_low - 0.01) << "offset between " << offset_low << " and " << offset_high;
  EXPECT_LE(offset, offset_high + 0.01) << "offset between " << offset_low << " and " << offset_high;
  EXPECT_LE(std::fabs(offset), 14 * 3600.0);
}

// The local time as Windows gives it (calendar fields) becomes the day count
// since 1899-12-30 and the time of day, also past the 32-bit C clock's end.
TEST(DateTimeFromFields, CalendarFieldsBecomeDaysAndTimeOfDay) {
  struct Row {
    const char* name;
    int32_t year, month, day, hour, minute, second;
    double days;      // whole days since 1899-12-30 (negative before it)
    int32_t seconds;  // time of day, added to the magnitude
    const char* text;
  };
  const Row rows[] = {
      {"the epoch itself", 1899, 12, 30, 0, 0, 0, 0, 0, "1899年12月30日"},
      {"the day before the epoch, evening", 1899, 12, 29, 18, 0, 0, -1, 64800, "1899年12月29日18时"},
      {"first day of 1899", 1899, 1, 1, 0, 0, 1, -363, 1, "1899年1月1日0时0分1秒"},
      {"1900 has no 29 February", 1900, 3, 1, 0, 0, 0, 61, 0, "1900年3月1日"},
      {"2000 has a 29 February", 2000, 2, 29, 12, 0, 0, 36585, 43200, "2000年2月29日12时"},
      {"first second of 2000", 2000, 1, 1, 0, 0, 0, 36526, 0, "2000年1月1日"},
      {"last second of 2037", 2037, 12, 31, 23, 59, 59, 50405, 86399, "2037年12月31日23时59分59秒"},
      {"2038, one second past the 32-bit clock", 2038, 1, 19, 3, 14, 8, 50424, 11648,
       "2038年1月19日3时14分8秒"},
      {"2100 has no 29 February", 2100, 3, 1, 0, 0, 0, 73110, 0, "2100年3月1日"},
      {"a leap day of this century", 2024, 2, 29, 23, 59, 59, 45351, 86399, "2024年2月29日23时59分59秒"},
      {"a leap second counts as the 59th", 2016, 12, 31, 23, 59, 60, 42735, 86399,
       "2016年12月31日23时59分59秒"},
      {"earliest Windows date", 1601, 1, 1, 0, 0, 0, -109205, 0, "1601年1月1日"},
      // (the text stops at the last day's midnight, as every date-time text does)
      {"last second of 9999", 9999, 12, 31, 23, 59, 59, 2958465, 86399, "9999年12月31日"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const DateTime value = datetime_from_fields(r.year, r.month, r.day, r.hour, r.minute, r.second);
    const double time_of_day = r.seconds / 86400.0;
    EXPECT_EQ(value, r.days < 0 ? r.days - time_of_day : r.days + time_of_day);
    EXPECT_EQ(datetime_to_text(value), r.text);
  }
}

#ifdef _WIN32
// current_datetime reads the local time from Windows: it agrees with
// GetLocalTime within a second.
TEST(CurrentDateTime, AgreesWithGetLocalTime) {
  auto local_now = [] {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return datetime_from_fields(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
  };
  const DateTime before = local_now();
  const DateTime now = current_datetime();
  const DateTime after = local_now();
  EXPECT_GE(now, before);
  EXPECT_LE(now, after);
  EXPECT_LE((after - before) * 86400.0, 1.0 + 1e-6);
}
#endif

#ifndef _WIN32
TEST(CurrentDateTime, MatchesTheClockInUtcZone) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "UTC0", 1);
  tzset();
  const double before = utc_now_days();
  const DateTime now = current_datetime();
  const double after = utc_now_days();
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
  EXPECT_GE(now, before - 1e-9);
  EXPECT_LE(now, after + 1e-9);
}
#endif

// --- trunc_divide and real_remainder ---------------------------------------

TEST(TruncDivideAndRemainder, QuotientTowardZeroRemainderWithSignOfA) {
  const struct {
    double a, b, quotient, remainder;
  } cases[] = {
      {7, 2, 3, 1},
      {-7, 2, -3, -1},
      {8, 2, 4, 0},
      {-8, 2, -4, -0.0},
      {-1, 2, -0.0, -1},
      {-0.0, 2, -0.0, -0.0},
      {0.0, 2, 0.0, 0.0},
      {5.5, 2, 2, 1.5},
      {-5.5, 2, -2, -1.5},
      {7, -2, -3, 1},
      {1e300, 2, 5e299, 0},
      {kDoubleMax, 2, kDoubleMax / 2, 0},
      {9007199254740993.0, 2, 4503599627370496.0, 0},  // 2^53 + 1 is 2^53 as a double
      {kDoubleMinSubnormal, 2, 0, kDoubleMinSubnormal},
      // drive sizes in bytes, halved the way the drive walk does
      {1000204886016.0, 2, 500102443008.0, 0},
      {1000204886017.0, 2, 500102443008.0, 1},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(same_real(c.quotient, trunc_divide(c.a, c.b))) << c.a << " / " << c.b;
    EXPECT_TRUE(same_real(c.remainder, real_remainder(c.a, c.b))) << c.a << " % " << c.b;
  }
}

TEST(TruncDivideAndRemainder, ZeroDivisorGivesTheIeeeValues) {
  EXPECT_TRUE(same_real(kInf, trunc_divide(7, 0)));
  EXPECT_TRUE(same_real(-kInf, trunc_divide(-7, 0)));
  EXPECT_TRUE(std::isnan(trunc_divide(0, 0)));
  EXPECT_TRUE(std::isnan(real_remainder(7, 0)));
}

// --- char_from_code --------------------------------------------------------

TEST(CharFromCode, LowByteOfTheCode) {
  const struct {
    int32_t code;
    Text text;
  } cases[] = {
      {9, "\t"},      {0, ""},       {265, "\t"},  {256, ""},    {65, "A"},
      {0xA3, "\xA3"}, {255, "\xFF"}, {-1, "\xFF"}, {-247, "\t"}, {INT32_MIN, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(char_from_code(c.code), c.text) << c.code;
}

// --- text_to_number --------------------------------------------------------

struct NumberCase {
  Text text;
  double value;
};

TEST(TextToNumber, LongestDecimalPrefix) {
  const NumberCase cases[] = {
      {"1", 1},
      {" 12.5abc", 12.5},
      {"abc", 0},
      {"", 0},
      {"-7", -7},
      {"+7", 7},
      {"\t\r\n\v\f 42", 42},
      {"1e5", 1e5},
      {"1.5E-3", 1.5e-3},
      {"2.5e+2x", 250},
      {"1e", 1},
      {"1e+", 1},
      {"1e-x", 1},
      {".5", 0.5},
      {"5.", 5},
      {"-.25", -0.25},
      {".", 0},
      {"-", 0},
      {"+-1", 0},
      {"- 1", 0},
      {"1,000", 1},
      {"12 34", 12},
      {"000123", 123},
      {"1000204886016", 1000204886016.0},
      {"0.1", 0.1},
      {"123456789012345678901234567890", 123456789012345678901234567890.0},
      {std::string("7\0"
                   "8",
                   3),
       7},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(same_real(c.value, text_to_number(c.text))) << "\"" << c.text << "\"";
  }
}

TEST(TextToNumber, NoHexInfinityOrNaNForms) {
  const NumberCase cases[] = {
      {"0x10", 0},      {"0X1p3", 0}, {"-0x10", -0.0}, {"inf", 0},
      {"-infinity", 0}, {"nan", 0},   {"NAN(123)", 0}, {"1.#INF", 1},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(same_real(c.value, text_to_number(c.text))) << "\"" << c.text << "\"";
  }
}

TEST(TextToNumber, RangeLimits) {
  const NumberCase cases[] = {
      {"1e400", kInf},
      {"-1e400", -kInf},
      {"1e-400", 0},
      {"-1e-400", -0.0},
      {"1.7976931348623157e308", kDoubleMax},
      {"1.8e308", kInf},
      {"4.9406564584124654e-324", kDoubleMinSubnormal},
      {"3e-324", kDoubleMinSubnormal},
      {"2e-324", 0},
      {"0.000000000000000000001e330", kInf},    // 1e309
      {"1000e-327", 0},                         // 1e-324: below half of denorm_min
      {"10000e-327", 2 * kDoubleMinSubnormal},  // 1e-323
      {"0e999999999999", 0},
      {"-0e-999999999999", -0.0},
      {"1e99999999999999999999", kInf},
      {"1e-99999999999999999999", 0},
      {"-0", -0.0},
      {"-0.000", -0.0},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(same_real(c.value, text_to_number(c.text))) << "\"" << c.text << "\"";
  }
}

TEST(TextToNumber, FullWidthFormsBecomeHalfWidth) {
  const NumberCase cases[] = {
      {"１", 1},
      {"１２．５", 12.5},
      {"－３", -3},
      {"＋３", 3},
      {"１Ｅ２", 100},
      {"１ｅ－２", 0.01},
      {"\xA1\xA1"
       "7",
       7},                              // ideographic space, then 7
      {"\xA1\xA1\xA1\xA1\xA3\xB9", 9},  // two ideographic spaces, full-width 9
      {"1\xA3\xAE"
       "5",
       1.5},  // full-width point
      {"\xB0\xA1"
       "5",
       0},  // another double-byte character first
      {"5\xB0\xA1"
       "5",
       5},
      // A3A1..A3FE map to 21..7E; the double-byte characters of other rows
      // stay, even where their trail byte looks like a digit.
      {"\xA2\xB1", 0},
      {"\xA4\xB1", 0},
      {"\xA1\xAB"
       "1",
       0},  // "~1"
      {"\xA1\xEE"
       "1",
       0},  // "*1"
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(same_real(c.value, text_to_number(c.text))) << "\"" << c.text << "\"";
  }
}

// A byte from 0x81 up opens a double-byte character only together with the
// next byte: the pairs are found from the left, and a lead byte without a
// trail byte stays a single byte.
TEST(TextToNumber, LeadBytesPairFromTheLeft) {
  const NumberCase cases[] = {
      {"1\xA3", 1},         // lead byte at the very end
      {"\xA3\xB1\xA3", 1},  // full-width 1, then a lone lead byte
      {"\xA3", 0},
      {"\xA3\xA3\xB1", 0},      // "＃" then a lone B1: not "\xA3" "1"
      {"\xA1\xA1\xA3\xB5", 5},  // " 5"
      {"\xA1\xA3\xB1", 0},      // A1A3 pairs; B1 is left alone
      {"2\x81"
       "3",
       2},  // 0x33 is no trail byte: 81 stands alone
      {"\x81"
       "\xA3\xB1",
       0},
      {"\xFF\xA3\xB1", 0},  // FF pairs with A3 too
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(same_real(c.value, text_to_number(c.text))) << "\"" << c.text << "\"";
  }
}

// What the program writes, it can read back, to the precision it writes.
TEST(TextToNumber, ReadsBackRealTexts) {
  const double values[] = {0.0,     1.0 / 3,          -2.0 / 3,   123456.789,
                           1e-5,    12345678901234.0, kDoubleMax, kDoubleMinSubnormal,
                           -1e-300, 9999999999999.5};
  for (double v : values) {
    const Text t = real_to_text(v);
    const double back = text_to_number(t);
    EXPECT_LE(std::fabs(back - v), 5.0001e-13 * std::fabs(v)) << t;
    EXPECT_EQ(real_to_text(back), t);
  }
}

}  // namespace
