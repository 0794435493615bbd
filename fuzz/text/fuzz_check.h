// Shared helpers of the value-to-text fuzz targets.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// Stops the run with the failed property and the values involved; libFuzzer
// then saves the input as a crash file.
#define FUZZ_CHECK(cond, ...)                                 \
  do {                                                        \
    if (!(cond)) {                                            \
      std::fprintf(stderr, "property failed: %s\n  ", #cond); \
      std::fprintf(stderr, __VA_ARGS__);                      \
      std::fprintf(stderr, "\n");                             \
      std::abort();                                           \
    }                                                         \
  } while (0)

inline std::string hex_bytes(const std::string& s) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// The shape of a number text laid out with at most `precision` significant
// digits: "-"? then either the plain form (digits, optional point and digits,
// no trailing zero after the point, no superfluous leading zero) or the
// exponent form d[.ddd]e(+|-)DDD. Returns the reason it is malformed, or an
// empty string when it is well formed. `negative` says whether a "-" must lead.
inline std::string number_text_problem(const std::string& t, int precision, bool negative) {
  if (t.empty()) return "empty";
  for (unsigned char c : t) {
    if (c < 0x20 || c > 0x7E) return "not printable ASCII";
  }
  size_t i = 0;
  if (t[0] == '-') {
    if (!negative) return "minus sign on a value that is not negative";
    i = 1;
  } else if (negative) {
    return "no minus sign on a negative value";
  }
  if (t == "0") return negative ? "zero with a sign" : "";
  const std::string body = t.substr(i);
  const size_t e = body.find('e');
  auto is_digits = [](const std::string& s) {
    if (s.empty()) return false;
    for (char c : s) {
      if (c < '0' || c > '9') return false;
    }
    return true;
  };
  std::string mantissa = e == std::string::npos ? body : body.substr(0, e);
  const size_t point = mantissa.find('.');
  std::string whole = point == std::string::npos ? mantissa : mantissa.substr(0, point);
  std::string fraction = point == std::string::npos ? "" : mantissa.substr(point + 1);
  if (!is_digits(whole)) return "whole part is not digits";
  if (point != std::string::npos) {
    if (!is_digits(fraction)) return "fraction is not digits";
    if (fraction.back() == '0') return "trailing zero after the point";
  }
  int exponent;
  std::string significant;
  if (e != std::string::npos) {
    if (whole.size() != 1 || whole[0] == '0') return "exponent form needs one leading digit 1-9";
    const std::string ex = body.substr(e + 1);
    if (ex.size() < 4 || (ex[0] != '+' && ex[0] != '-')) return "exponent needs a sign and three digits";
    const std::string mag = ex.substr(1);
    if (!is_digits(mag)) return "exponent is not digits";
    if (mag.size() > 3 && mag[0] == '0') return "exponent padded past three digits";
    exponent = std::atoi(mag.c_str()) * (ex[0] == '-' ? -1 : 1);
    if (exponent >= -4 && exponent < precision) return "exponent form inside the plain range";
    significant = whole + fraction;
  } else {
    if (whole.size() > 1 && whole[0] == '0') return "leading zero";
    if (whole != "0") {
      exponent = static_cast<int>(whole.size()) - 1;
      significant = whole + fraction;
      while (significant.size() > 1 && significant.back() == '0') significant.pop_back();
    } else {
      if (fraction.empty()) return "zero with a point";
      const size_t nz = fraction.find_first_not_of('0');
      exponent = -static_cast<int>(nz) - 1;
      significant = fraction.substr(nz);
    }
    if (exponent < -4 || exponent >= precision) return "plain form outside the plain range";
  }
  if (static_cast<int>(significant.size()) > precision) return "too many significant digits";
  return "";
}
