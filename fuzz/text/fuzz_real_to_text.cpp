// real_to_text on arbitrary bit patterns of a double.
//
// Properties: a non-empty printable ASCII text; the non-finite values have
// their fixed texts; a finite value is laid out with at most 13 significant
// digits in the layout its exponent asks for; reading the text back gives a
// value within the 13-digit rounding of the original and the same text again;
// the negated value's text is the same with a "-" in front.
//
// Bound of the read-back: the text T is the 17-digit expansion rounded to 13
// digits, so |T - x| <= 0.5e-12 * 10^E + 0.5e-16 * 10^E with 10^E <= |x|
// (up to the same 0.5e-16), i.e. |T - x| <= 5.0005e-13 |x|. Reading T gives
// the double nearest T, within 2^-53 |T| = 1.12e-16 |x| more (and exactly x
// for a subnormal, whose spacing dwarfs that error). Hence 5.002e-13 |x|.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint64_t bits = 0;
  std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
  double x;
  std::memcpy(&x, &bits, sizeof x);

  const Text t = real_to_text(x);
  FUZZ_CHECK(!t.empty(), "bits %016llx", static_cast<unsigned long long>(bits));

  if (!std::isfinite(x)) {
    const char* want;
    if (std::isinf(x)) {
      want = x > 0 ? "1.#INF" : "-1.#INF";
    } else if (bits == 0xFFF8000000000000ULL) {
      want = "-1.#IND";
    } else {
      want = std::signbit(x) ? "-1.#QNAN" : "1.#QNAN";
    }
    FUZZ_CHECK(t == want, "bits %016llx: %s, want %s", static_cast<unsigned long long>(bits), t.c_str(),
               want);
    return 0;
  }

  const std::string problem = number_text_problem(t, 13, x < 0);
  FUZZ_CHECK(problem.empty(), "%a: \"%s\": %s", x, t.c_str(), problem.c_str());

  const double back = text_to_number(t);
  FUZZ_CHECK(std::fabs(back - x) <= 5.002e-13 * std::fabs(x), "%a: \"%s\" reads back as %a", x, t.c_str(),
             back);
  const Text again = real_to_text(back);
  FUZZ_CHECK(again == t, "%a: \"%s\", read back and written again \"%s\"", x, t.c_str(), again.c_str());

  if (x > 0) {
    const Text negated = real_to_text(-x);
    FUZZ_CHECK(negated == "-" + t, "%a: \"%s\" but -x gives \"%s\"", x, t.c_str(), negated.c_str());
  }
  return 0;
}
