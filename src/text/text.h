// Value-to-text rules: how every integer, real, single and date-time of the
// program becomes the text it shows, and the small conversions the drive walk uses.
// A Text is a std::string of code page 936 bytes; every operation counts bytes.
#pragma once

#include <cstdint>
#include <string>

using Text = std::string;

// Days since 1899-12-30 00:00:00; the fraction's magnitude is the time of day.
using DateTime = double;

Text int_to_text(int32_t value);
Text real_to_text(double value);      // 13 significant digits
Text single_to_text(float value);     // 6 significant digits
Text datetime_to_text(DateTime value);
DateTime current_datetime();          // local time, whole seconds

double round_to_decimals(double x, int32_t decimals);  // half away from zero
double trunc_divide(double a, double b);
double real_remainder(double a, double b);
Text char_from_code(int32_t code);
double text_to_number(const Text& text);
