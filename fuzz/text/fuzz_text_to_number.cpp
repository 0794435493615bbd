// text_to_number on arbitrary bytes.
//
// Properties: never a NaN; the same value as the C library's strtod reading
// the text after the full-width forms have been narrowed (the C library is an
// independent reader of the same decimal grammar), except where strtod would
// accept a form that text_to_number must not (hexadecimal, inf, nan), where
// the result is the value of the leading "0" or nothing; and appending a
// character that cannot continue a number changes nothing.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "text/text.h"

namespace {

// Narrowing written out separately from the library's: GBK pairs scanned from
// the left, a lead byte 0x81..0xFF pairs with a trail byte 0x40..0xFE other
// than 0x7F.
std::string narrowed(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const unsigned lead = static_cast<unsigned char>(s[i]);
    const unsigned trail = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
    const bool pair = lead >= 0x81 && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
    if (!pair) {
      out += s[i++];
      continue;
    }
    const unsigned code = lead << 8 | trail;
    if (code >= 0xA3A1 && code <= 0xA3FE) {
      out += static_cast<char>(code - 0xA3A1 + 0x21);
    } else if (code == 0xA1A1) {
      out += ' ';
    } else if (code == 0xA1AB) {
      out += '~';
    } else if (code == 0xA1EE || code == 0xA1EF) {
      out += '*';
    } else {
      out += s.substr(i, 2);
    }
    i += 2;
  }
  return out;
}

bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text text(reinterpret_cast<const char*>(data), size);
  const double value = text_to_number(text);
  FUZZ_CHECK(!std::isnan(value), "input %s", hex_bytes(text).c_str());

  // The reference reading. strtod stops at a NUL byte, as the number does.
  const std::string plain = narrowed(text);
  const char* c = plain.c_str();
  const char* p = c;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  double expected;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    expected = negative ? -0.0 : 0.0;  // only the "0" before the x is a number
  } else if (*p == 'i' || *p == 'I' || *p == 'n' || *p == 'N') {
    expected = 0.0;  // no number at all
  } else {
    expected = std::strtod(c, nullptr);
  }
  FUZZ_CHECK(same(value, expected), "input %s: got %a, strtod reads %a", hex_bytes(text).c_str(), value,
             expected);

  // "x" never continues a number, nor completes a double-byte character
  // that could become part of one.
  const double extended = text_to_number(text + "x");
  FUZZ_CHECK(same(value, extended), "input %s: %a, with an x appended %a", hex_bytes(text).c_str(), value,
             extended);
  return 0;
}
