// Cost of one iteration of each loop body of the evaluation, on one thread:
// the evaluation's own loop routine beside a reference loop that is the floor
// for the same operation (one flat loop, the operation forced by an asm
// statement or a barrier, the same loads and stores). A ratio near 1 or above
// at any optimisation level shows that no iteration of the workload was
// folded away; the unguarded row shows what the optimiser does to a loop that
// is not protected.
#include <algorithm>
#include <thread>  // steady_clock and durations; <chrono> itself does not build with the GBK charset
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <x86intrin.h>

#include "bench/stages.h"

// The evaluation's lines go nowhere here: no window carries the box
// operations out.

namespace {

inline void opaque(double& v) { asm volatile("" : "+x"(v)); }

struct Cost {
  double ns;
  double cycles;
};

// Best of five runs of `work`, per iteration.
template <class Work>
Cost measure(double iterations, Work work) {
  Cost best{1e300, 1e300};
  for (int run = 0; run < 5; ++run) {
    const auto t0 = std::chrono::steady_clock::now();
    const uint64_t c0 = __rdtsc();
    work();
    const uint64_t c1 = __rdtsc();
    const auto t1 = std::chrono::steady_clock::now();
    const double ns = std::chrono::duration<double, std::nano>(t1 - t0).count();
    best.ns = std::min(best.ns, ns / iterations);
    best.cycles = std::min(best.cycles, static_cast<double>(c1 - c0) / iterations);
  }
  return best;
}

// The constant stays in a register, as the optimiser keeps it in the
// evaluation's loop; each iteration copies it and adds it to itself.
void reference_addition(int32_t iterations) {
  double constant = 1234567890.12345;
  opaque(constant);
  for (int32_t k = 0; k < iterations; ++k) {
    double v = constant;
    asm volatile("addsd %0, %0" : "+x"(v));
  }
}

void reference_multiplication(int32_t iterations) {
  double constant = 1234567890.1234;
  opaque(constant);
  for (int32_t k = 0; k < iterations; ++k) {
    double v = constant;
    asm volatile("mulsd %0, %0" : "+x"(v));
  }
}

void reference_logarithm(int32_t iterations) {
  for (int32_t k = 0; k < iterations; ++k) {
    double a = 123456789.8765;
    opaque(a);
    double r = std::log(a);
    opaque(r);
  }
}

// The sort's compare-and-exchange written in assembly over the same pairs:
// load both elements, compare, and store both exchanged when a[i] < a[j].
void reference_sort(int32_t* a, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = 0; j < n; ++j) {
      asm volatile(
          "movl (%[pi]), %%eax\n\t"
          "movl (%[pj]), %%edx\n\t"
          "cmpl %%edx, %%eax\n\t"
          "jge 1f\n\t"
          "movl %%edx, (%[pi])\n\t"
          "movl %%eax, (%[pj])\n"
          "1:"
          :
          : [pi] "r"(a + i), [pj] "r"(a + j)
          : "eax", "edx", "memory", "cc");
    }
  }
}

// The addition loop written plainly, its result unused: the optimiser may drop it.
void unguarded_addition(int32_t loops) {
  double value = 1234567890.123;
  for (int32_t i = 1; i <= loops; ++i) {
    for (int32_t j = 1; j <= loops; ++j) {
      value = value + value;
      value = 1234567890.12345;
    }
  }
}

void row(const char* name, Cost body, Cost floor) {
  std::printf("%-28s %10.3f %10.3f %10.2f %10.2f %8.2f\n", name, body.ns, floor.ns, body.cycles, floor.cycles,
              body.ns / floor.ns);
}

}  // namespace

int main() {
#ifdef __OPTIMIZE__
  const char* level = "optimised (-O2)";
#else
  const char* level = "not optimised (-O0)";
#endif
  std::printf("bench_loops, %s, %d-bit\n", level, static_cast<int>(sizeof(void*) * 8));
  std::printf("%-28s %10s %10s %10s %10s %8s\n", "loop body (per iteration)", "ns", "floor ns", "cycles",
              "floor cyc", "ratio");

  StageBlock block{};
  block.loop_count = 3000;
  const double arithmetic = double(block.loop_count) * block.loop_count;
  row("addition", measure(arithmetic, [&] { run_addition_loops(block); }),
      measure(arithmetic, [&] { reference_addition(int32_t(arithmetic)); }));
  row("multiplication", measure(arithmetic, [&] { run_multiplication_loops(block); }),
      measure(arithmetic, [&] { reference_multiplication(int32_t(arithmetic)); }));

  StageBlock log_block{};
  log_block.loop_count = 1000;
  const double logs = double(log_block.loop_count) * log_block.loop_count;
  row("natural logarithm", measure(logs, [&] { run_logarithm_loops(log_block); }),
      measure(logs, [&] { reference_logarithm(int32_t(logs)); }));

  const int32_t n = 3000;
  const double pairs = double(n) * n;
  seed_random(20240601);
  std::vector<int32_t> original(n);
  fill_random(original.data(), n);
  std::vector<int32_t> work(n);
  const Cost sort_cost = measure(pairs, [&] {
    work = original;
    exchange_sort(work.data(), n);
  });
  const bool sorted = std::is_sorted(work.begin(), work.end());
  const Cost sort_floor = measure(pairs, [&] {
    work = original;
    reference_sort(work.data(), n);
  });
  row("compare-and-exchange (sort)", sort_cost, sort_floor);

  row("addition, unguarded", measure(arithmetic, [&] { unguarded_addition(block.loop_count); }),
      measure(arithmetic, [&] { reference_addition(int32_t(arithmetic)); }));

  std::printf("sort result ascending: %s\n", sorted ? "yes" : "NO");
  std::printf("cycles are time-stamp counter ticks (rdtsc)\n");
  return sorted ? 0 : 1;
}
