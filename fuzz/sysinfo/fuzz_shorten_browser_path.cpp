// shorten_browser_path on arbitrary bytes.
//
// Properties: the result is never longer than the input plus the "~1" and
// "\" that each segment may gain; it is empty exactly when the input has fewer
// than two segments; for input made of whole characters (no lead byte
// without its trail byte) the result is made of whole characters too, each of
// its two-byte characters is one of the input's (a cut never pairs half a
// character with the next byte), every segment before the last is at most 8
// bytes, and shortening the result again changes nothing.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "sysinfo/sysinfo_core.h"
#include "text/text.h"

namespace {

// Whether the text holds a lead byte that no trail byte follows (a character
// cut in half, at the end or before a byte that cannot complete it).
bool has_stray_lead_byte(const std::string& t) {
  for (size_t i = 0; i < t.size(); i += char_length(t, i)) {
    if (char_length(t, i) == 1 && is_lead_byte(static_cast<unsigned char>(t[i]))) return true;
  }
  return false;
}

// The two-byte characters of a text.
std::set<std::string> double_byte_characters(const std::string& t) {
  std::set<std::string> out;
  for (size_t i = 0; i < t.size(); i += char_length(t, i)) {
    if (char_length(t, i) == 2) out.insert(t.substr(i, 2));
  }
  return out;
}

// Segments between backslashes that are characters of their own; a trailing
// backslash adds no empty segment.
std::vector<std::string> segments(const std::string& t) {
  std::vector<std::string> out;
  std::string current;
  bool open = false;
  for (size_t i = 0; i < t.size(); i += char_length(t, i)) {
    if (char_length(t, i) == 1 && t[i] == '\\') {
      out.push_back(current);
      current.clear();
      open = false;
    } else {
      current += t.substr(i, char_length(t, i));
      open = true;
    }
  }
  if (open) out.push_back(current);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string result = shorten_browser_path(input);
  const std::vector<std::string> in_segments = segments(input);

  FUZZ_CHECK(result.size() <= input.size() + 3 * in_segments.size(), "in %s out %s", hex_bytes(input).c_str(),
             hex_bytes(result).c_str());
  FUZZ_CHECK(result.empty() == (in_segments.size() < 2), "in %s out %s", hex_bytes(input).c_str(),
             hex_bytes(result).c_str());

  if (!has_stray_lead_byte(input)) {
    FUZZ_CHECK(!has_stray_lead_byte(result), "in %s out %s", hex_bytes(input).c_str(),
               hex_bytes(result).c_str());
    const std::set<std::string> in_characters = double_byte_characters(input);
    for (const std::string& c : double_byte_characters(result)) {
      FUZZ_CHECK(in_characters.count(c) == 1, "character %s of %s is not in %s", hex_bytes(c).c_str(),
                 hex_bytes(result).c_str(), hex_bytes(input).c_str());
    }
    const std::vector<std::string> out_segments = segments(result);
    for (size_t i = 0; i + 1 < out_segments.size(); ++i) {
      FUZZ_CHECK(out_segments[i].size() <= 8, "segment %zu of %s from %s", i, hex_bytes(result).c_str(),
                 hex_bytes(input).c_str());
    }
    if (!result.empty()) {
      const std::string again = shorten_browser_path(result);
      FUZZ_CHECK(again == result, "in %s out %s again %s", hex_bytes(input).c_str(),
                 hex_bytes(result).c_str(), hex_bytes(again).c_str());
    }
  }
  return 0;
}
