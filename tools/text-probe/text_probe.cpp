// text-probe: reads one command per line from standard input and writes one
// line per command to standard output.
//
//   int N | char N              -> the text as lowercase hex bytes
//   real X | single X | datetime X
//                               -> the text as lowercase hex bytes ("single"
//                                  converts X to float first)
//   round X N | trunc_divide A B | real_remainder A B
//                               -> the real in C99 %a form
//   number H                    -> text_to_number of the bytes H (hex; "-"
//                                  for the empty text), in %a form
//
// X, A and B are read with strtod (decimal and hexadecimal floats, inf, nan);
// N is a decimal 32-bit integer. An empty text is an empty line. A line that
// cannot be read gives "error: <reason>" and the probe goes on.

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "text/text.h"

namespace {

struct ProbeError {
  std::string reason;
};

double parse_real(const std::string& word) {
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(word.c_str(), &end);
  if (end == word.c_str() || *end != '\0') throw ProbeError{"not a real: " + word};
  return v;  // out-of-range values are the infinities or zeros strtod gives
}

int32_t parse_int(const std::string& word) {
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(word.c_str(), &end, 10);
  if (end == word.c_str() || *end != '\0') throw ProbeError{"not an integer: " + word};
  if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) {
    throw ProbeError{"integer out of range: " + word};
  }
  return static_cast<int32_t>(v);
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Text parse_hex_bytes(const std::string& word) {
  if (word == "-") return Text();
  if (word.size() % 2 != 0) throw ProbeError{"odd number of hex digits: " + word};
  Text t;
  for (size_t i = 0; i < word.size(); i += 2) {
    const int hi = hex_digit(word[i]);
    const int lo = hex_digit(word[i + 1]);
    if (hi < 0 || lo < 0) throw ProbeError{"not hex bytes: " + word};
    t += static_cast<char>(hi * 16 + lo);
  }
  return t;
}

std::string hex_of(const Text& t) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : t) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// C99 %a as the GNU C library writes it, produced here so that the native and
// the Windows probe print the same characters.
std::string hex_float(double v) {
  if (std::isnan(v)) return std::signbit(v) ? "-nan" : "nan";
  std::string out = std::signbit(v) ? "-" : "";
  if (std::isinf(v)) return out + "inf";
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  const int field = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  if (field == 0 && fraction == 0) return out + "0x0p+0";
  int exponent;
  if (field == 0) {
    out += "0x0";
    exponent = -1022;
  } else {
    out += "0x1";
    exponent = field - 1023;
  }
  if (fraction != 0) {
    int nibbles = 13;
    while ((fraction & 0xF) == 0) {
      fraction >>= 4;
      --nibbles;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*llx", nibbles, static_cast<unsigned long long>(fraction));
    out += '.';
    out += buf;
  }
  out += 'p';
  out += exponent < 0 ? '-' : '+';
  out += std::to_string(exponent < 0 ? -exponent : exponent);
  return out;
}

std::string run_command(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.empty()) throw ProbeError{"empty line"};
  const std::string& op = words[0];

  auto need = [&](size_t count) {
    if (words.size() != count + 1) {
      throw ProbeError{op + " takes " + std::to_string(count) + " argument(s)"};
    }
  };

  if (op == "int") {
    need(1);
    return hex_of(int_to_text(parse_int(words[1])));
  }
  if (op == "char") {
    need(1);
    return hex_of(char_from_code(parse_int(words[1])));
  }
  if (op == "real") {
    need(1);
    return hex_of(real_to_text(parse_real(words[1])));
  }
  if (op == "single") {
    need(1);
    return hex_of(single_to_text(static_cast<float>(parse_real(words[1]))));
  }
  if (op == "datetime") {
    need(1);
    return hex_of(datetime_to_text(parse_real(words[1])));
  }
  if (op == "round") {
    need(2);
    return hex_float(round_to_decimals(parse_real(words[1]), parse_int(words[2])));
  }
  if (op == "trunc_divide") {
    need(2);
    return hex_float(trunc_divide(parse_real(words[1]), parse_real(words[2])));
  }
  if (op == "real_remainder") {
    need(2);
    return hex_float(real_remainder(parse_real(words[1]), parse_real(words[2])));
  }
  if (op == "number") {
    need(1);
    return hex_float(text_to_number(parse_hex_bytes(words[1])));
  }
  throw ProbeError{"unknown command: " + op};
}

}  // namespace

int main() {
#ifdef _WIN32
  // Plain "\n" line ends, as on every other system.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    try {
      std::cout << run_command(line) << '\n';
    } catch (const ProbeError& e) {
      std::cout << "error: " << e.reason << '\n';
    }
  }
  std::cout.flush();
  return 0;
}
