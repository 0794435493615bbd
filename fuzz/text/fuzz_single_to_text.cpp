// single_to_text on arbitrary bit patterns of a single.
//
// Properties: a non-empty printable ASCII text; the non-finite values have
// their fixed texts; a finite value is laid out with at most 6 significant
// digits in the layout its exponent asks for; reading the text back gives a
// value within the 6-digit rounding of the single; the negated value's text is
// the same with a "-" in front; for a normal single, the single nearest the
// text shows the same text again.
//
// Bound of the read-back: the rounding steps bring |x| to v in [1e5, 1e6]
// with a relative error of a few 2^-53 (a division or product by a power of
// ten, each rounded), round v to the whole n (an error of at most 0.5, i.e.
// 5e-6 relative since n >= 1e5), and scale n back (a few 2^-53 more). Reading
// the text adds 2^-53. Hence 5.00001e-6 |x|.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "fuzz_check.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint32_t bits = 0;
  std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
  float x;
  std::memcpy(&x, &bits, sizeof x);

  const Text t = single_to_text(x);
  FUZZ_CHECK(!t.empty(), "bits %08x", bits);

  if (!std::isfinite(x)) {
    const char* want;
    if (std::isinf(x)) {
      want = x > 0 ? "1.#INF" : "-1.#INF";
    } else if (bits == 0xFFC00000U) {
      want = "-1.#IND";
    } else {
      want = std::signbit(x) ? "-1.#QNAN" : "1.#QNAN";
    }
    FUZZ_CHECK(t == want, "bits %08x: %s, want %s", bits, t.c_str(), want);
    return 0;
  }

  const std::string problem = number_text_problem(t, 6, x < 0);
  FUZZ_CHECK(problem.empty(), "%a: \"%s\": %s", static_cast<double>(x), t.c_str(), problem.c_str());

  const double wide = x;
  const double back = text_to_number(t);
  FUZZ_CHECK(std::fabs(back - wide) <= 5.00001e-6 * std::fabs(wide), "%a: \"%s\" reads back as %a", wide,
             t.c_str(), back);

  if (x > 0) {
    const Text negated = single_to_text(-x);
    FUZZ_CHECK(negated == "-" + t, "%a: \"%s\" but -x gives \"%s\"", wide, t.c_str(), negated.c_str());
  }

  const float nearest = static_cast<float>(back);
  if (std::isnormal(x) && std::isnormal(nearest)) {
    const Text again = single_to_text(nearest);
    FUZZ_CHECK(again == t, "%a: \"%s\", read back and written again \"%s\"", wide, t.c_str(), again.c_str());
  }
  return 0;
}
