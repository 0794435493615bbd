// Value-to-text rules: how every integer, real, single and date-time of the
// program becomes the text it shows, and the small conversions the drive walk uses.
// A Text is a std::string of code page 936 bytes; every operation counts bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

using Text = std::string;

// Days since 1899-12-30 00:00:00; the fraction's magnitude is the time of day.
using DateTime = double;

// Characters of code page 936: a lead byte (0x81 to 0xFE) followed by a
// trail byte (0x40 to 0xFE, but not 0x7F) is one double-byte character; any
// other byte, 0x80 (the euro sign) among them, is a character of its own, and
// so is a lead byte at the end or before a byte that cannot follow it.
bool is_lead_byte(unsigned char byte);
bool is_trail_byte(unsigned char byte);
// Length in bytes (1 or 2) of the character that starts at `at`.
size_t char_length(const Text& text, size_t at);

// Frees a text's storage (the end-of-process release of the records); an
// empty text holds none and is left alone.
void free_text(Text& text);

Text int_to_text(int32_t value);
Text real_to_text(double value);   // 13 significant digits
Text single_to_text(float value);  // 6 significant digits
Text datetime_to_text(DateTime value);
DateTime current_datetime();  // local time, whole seconds

// A calendar date and time of day (as Windows gives the local time: year from
// 1601, month 1-12, day 1-31, hour, minute, second) as a DateTime in whole
// seconds. Before 1899-12-30 the day count is negative and the time of day is
// still added to its magnitude.
DateTime datetime_from_fields(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                              int32_t second);

double round_to_decimals(double x, int32_t decimals);  // half away from zero
double trunc_divide(double a, double b);
double real_remainder(double a, double b);
Text char_from_code(int32_t code);
double text_to_number(const Text& text);
