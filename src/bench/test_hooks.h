// Test seams of the evaluation. The program never calls these; the native
// tests and the seam build of the program (quelmo-eval-seams.exe) do.
#pragma once

#include <cstdint>

namespace bench_test {
// Overrides the loop counts of the three arithmetic stages and the number of
// elements of the sort stage; 0 keeps the program's own value.
void set_sizes(int32_t addition_loops, int32_t multiplication_loops, int32_t logarithm_loops,
               int32_t sort_elements);
}  // namespace bench_test
