// The evaluation record, the staged workers and their report-in, the three
// arithmetic stages, the sort stage and the score.
//
// A run is a chain: each stage's last reporting worker (its finisher) writes
// the stage's lines and launches the next stage while it holds the evaluation
// lock; the logarithm stage's finisher runs the sort and writes the score.
#include "bench/evaluation.h"

#include <atomic>
#include <cmath>
#include <random>
#include <vector>

#include "bench/stages.h"
#include "bench/test_hooks.h"
#include "text/text.h"
#include "ui/boxes.h"

EvaluationState evaluation_state;

namespace {

constexpr int32_t kThreadsPerStage = 64;
constexpr int32_t kSortElements = 21000;
constexpr int32_t kRandomHigh = 1048576;

// Barriers that make the optimiser treat a value, or everything behind a
// pointer, as read and changed right here. They emit no instruction; they
// only keep every iteration of the workload from being folded, hoisted or
// dropped.
inline void opaque(double& value) {
#if defined(__i386__) || defined(__x86_64__)
  asm volatile("" : "+x"(value));  // stays in its SSE register
#else
  asm volatile("" : "+m"(value));
#endif
}

inline void memory_used(const void* pointer) { asm volatile("" : : "r"(pointer) : "memory"); }

struct StageInfo {
  StageBlock EvaluationState::*block;
  int32_t EvaluationState::*done;
  int32_t loop_count;
  const char* title;
  const char* average_label;
  const char* total_label;
  int32_t total_decimals;
  const char* end_line;
  ThreadRoutine worker;
};

const StageInfo& info(Stage stage) {
  static const StageInfo stages[] = {
      {&EvaluationState::addition, &EvaluationState::addition_done, 8000, "循环加法开始测试.....\r\n",
       "单线程加法平均耗时：", "加法总耗时：", 2, "加法测试结束...\r\n", addition_worker},
      {&EvaluationState::multiplication, &EvaluationState::multiplication_done, 7000,
       "循环乘法开始测试.....\r\n", "单线程乘法平均耗时：", "乘法总耗时：", 1, "乘法测试结束...\r\n",
       multiplication_worker},
      {&EvaluationState::logarithm, &EvaluationState::logarithm_done, 6000, "循环对数运算开始测试.....\r\n",
       "单线程对数运算平均耗时：", "对数运算总耗时：", 1, "对数运算测试结束...\r\n", logarithm_worker},
  };
  return stages[static_cast<int>(stage)];
}

StageBlock& block_of(Stage stage) { return evaluation_state.*info(stage).block; }
int32_t& done_of(Stage stage) { return evaluation_state.*info(stage).done; }

// From the reset of a run until its score line.
std::atomic<bool> in_progress{false};

// Test sizes (0: the program's own). Written before a run, read by launches.
std::atomic<int32_t> size_override[4];

void append_performance(const Text& line) { append_to_box(Box::performance_info, line); }

void launch_stage(Stage stage);

// The finisher's part, with the evaluation lock held.
void complete_stage(Stage stage) {
  const StageInfo& s = info(stage);
  StageBlock& block = block_of(stage);

  append_performance(average_line(stage, block.thread_ms_total, block.thread_count));
  append_performance(total_line(stage, ticks_between(block.start_tick, tick_count())));
  if (stage != Stage::logarithm) {
    evaluation_state.score = add_ms(evaluation_state.score, ticks_between(block.start_tick, tick_count()));
    append_performance(s.end_line);
    // The hand-over to the next stage.
    if (stage == Stage::addition) {
      launch_multiplication_stage();
    } else {
      launch_logarithm_stage();
    }
  } else {
    append_performance(s.end_line);
    evaluation_state.score = add_ms(evaluation_state.score, ticks_between(block.start_tick, tick_count()));
    run_sort_stage();
  }
}

void report_in(Stage stage, int32_t elapsed_ms) {
  // Once the program is ending, nothing is counted or written any more.
  if (shutdown_begun()) return;
  LockGuard guard(evaluation_state.lock_handle);
  if (!guard.held() || shutdown_begun()) return;

  StageBlock& block = block_of(stage);
  block.thread_ms_total = add_ms(block.thread_ms_total, elapsed_ms);
  int32_t& done = done_of(stage);
  done += 1;
  if (done >= block.thread_count) complete_stage(stage);
}

void stage_worker(Stage stage, void (*loops)(const StageBlock&)) {
  const int32_t start = tick_count();
  loops(block_of(stage));
  report_in(stage, ticks_between(start, tick_count()));
}

void launch_stage(Stage stage) {
  const StageInfo& s = info(stage);
  StageBlock& block = block_of(stage);
  block.start_tick = tick_count();
  block.thread_count = kThreadsPerStage;
  block.loop_count = stage_loop_count(stage);
  append_performance(launch_line(stage, block.thread_count, block.loop_count));

  const int32_t wanted = block.thread_count;
  int32_t started = 0;
  for (int32_t i = 0; i < wanted && !shutdown_begun(); ++i) {
    if (start_thread(s.worker)) ++started;
  }
  if (started == wanted || shutdown_begun()) return;

  // Some workers could not be started: the stage finishes with those that did.
  // Until thread_count is lowered no report can make a finisher (fewer than
  // thread_count workers exist), so the lock is held at most briefly by
  // workers counting in, and the main thread may wait for it here. The lock is
  // recursive, so a finisher that launched this stage enters it again. If
  // every started worker has already reported (or none started), this thread
  // completes the stage itself.
  LockGuard guard(evaluation_state.lock_handle);
  if (!guard.held() || shutdown_begun()) return;
  block.thread_count = started;
  if (done_of(stage) >= block.thread_count) complete_stage(stage);
}

std::minstd_rand& generator() {
  thread_local std::minstd_rand instance;
  return instance;
}

}  // namespace

// ---- sizes -----------------------------------------------------------------

int32_t stage_loop_count(Stage stage) {
  const int32_t wanted = size_override[static_cast<int>(stage)].load(std::memory_order_relaxed);
  return wanted > 0 ? wanted : info(stage).loop_count;
}

int32_t sort_element_count() {
  const int32_t wanted = size_override[3].load(std::memory_order_relaxed);
  return wanted > 0 ? wanted : kSortElements;
}

namespace bench_test {
void set_sizes(int32_t addition_loops, int32_t multiplication_loops, int32_t logarithm_loops,
               int32_t sort_elements) {
  size_override[0].store(addition_loops, std::memory_order_relaxed);
  size_override[1].store(multiplication_loops, std::memory_order_relaxed);
  size_override[2].store(logarithm_loops, std::memory_order_relaxed);
  size_override[3].store(sort_elements, std::memory_order_relaxed);
}
}  // namespace bench_test

// ---- arithmetic ------------------------------------------------------------

int32_t ticks_between(int32_t from, int32_t to) {
  return static_cast<int32_t>(static_cast<uint32_t>(to) - static_cast<uint32_t>(from));
}

float add_ms(float sum, int32_t ms) {
  return static_cast<float>(static_cast<double>(sum) + static_cast<double>(ms));
}

float final_score(float stage_sum_ms, int32_t sort_ms) {
  float score = add_ms(stage_sum_ms, sort_ms);
  score = static_cast<float>(static_cast<double>(score) / 4);
  score = static_cast<float>(round_to_decimals(static_cast<double>(score) / 1000, 3));
  return score;
}

// ---- lines -----------------------------------------------------------------

Text launch_line(Stage stage, int32_t thread_count, int32_t loop_count) {
  return int_to_text(thread_count) + "线程、两层" + int_to_text(loop_count) + info(stage).title;
}

Text average_line(Stage stage, float thread_ms_total, int32_t thread_count) {
  // A stage none of whose workers could be started has no average: show 0.
  const double average = thread_count > 0 ? static_cast<double>(thread_ms_total) / 1000 / thread_count : 0.0;
  return info(stage).average_label + real_to_text(round_to_decimals(average, 3)) + " 秒\r\n";
}

Text total_line(Stage stage, int32_t elapsed_ms) {
  const StageInfo& s = info(stage);
  const double seconds = static_cast<double>(elapsed_ms) / 1000;
  return s.total_label + real_to_text(round_to_decimals(seconds, s.total_decimals)) + " 秒\r\n";
}

Text end_line(Stage stage) { return info(stage).end_line; }

Text sort_start_line(int32_t elements) { return int_to_text(elements) + "元素数组排序开始.....\r\n"; }

Text sort_time_line(int32_t sort_ms) {
  return "排序运算总耗时：" + real_to_text(round_to_decimals(static_cast<double>(sort_ms) / 1000, 1)) +
         " 秒\r\n";
}

Text sort_end_line() { return "排序运算测试结束...\r\n\r\n"; }

Text score_line(float score) {
  return "您的计算机评分： " + single_to_text(score) + "（分数越低测试性能越高）\r\n";
}

// ---- workloads -------------------------------------------------------------

void run_addition_loops(const StageBlock& block) {
  double value = 1234567890.123;
  for (int32_t i = 1; i <= block.loop_count; ++i) {
    for (int32_t j = 1; j <= block.loop_count; ++j) {
      opaque(value);
      value = value + value;
      opaque(value);
      value = 1234567890.12345;
    }
  }
}

void run_multiplication_loops(const StageBlock& block) {
  double value = 1234567890.1234;
  for (int32_t i = 1; i <= block.loop_count; ++i) {
    for (int32_t j = 1; j <= block.loop_count; ++j) {
      opaque(value);
      value = value * value;
      opaque(value);
      value = 1234567890.1234;
    }
  }
}

void run_logarithm_loops(const StageBlock& block) {
  for (int32_t i = 1; i <= block.loop_count; ++i) {
    for (int32_t j = 1; j <= block.loop_count; ++j) {
      double argument = 123456789.8765;
      opaque(argument);
      double result = std::log(argument);
      opaque(result);
    }
  }
}

void addition_worker() { stage_worker(Stage::addition, run_addition_loops); }
void multiplication_worker() { stage_worker(Stage::multiplication, run_multiplication_loops); }
void logarithm_worker() { stage_worker(Stage::logarithm, run_logarithm_loops); }

// ---- random fill and sort ----------------------------------------------------

void seed_random(int32_t seed) { generator().seed(static_cast<uint32_t>(seed)); }

int32_t random_between(int32_t low, int32_t high) {
  if (high <= low) return low;
  using Engine = std::minstd_rand;
  const uint64_t outputs = uint64_t{Engine::max()} - Engine::min() + 1;
  const uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(high) - low) + 1;
  if (span >= outputs) return static_cast<int32_t>(low + static_cast<int64_t>(generator()() - Engine::min()));
  const uint64_t limit = outputs - outputs % span;
  uint64_t draw;
  do {
    draw = generator()() - Engine::min();
  } while (draw >= limit);
  return static_cast<int32_t>(low + static_cast<int64_t>(draw % span));
}

void fill_random(int32_t* values, int32_t count) {
  for (int32_t i = 0; i < count; ++i) values[i] = random_between(0, kRandomHigh);
  memory_used(values);
}

void exchange_sort(int32_t* values, int32_t count) {
  memory_used(values);
  for (int32_t i = 0; i < count; ++i) {
    for (int32_t j = 0; j < count; ++j) {
      if (values[i] < values[j]) {
        const int32_t held = values[i];
        values[i] = values[j];
        values[j] = held;
      }
    }
  }
  memory_used(values);
}

// ---- the run ---------------------------------------------------------------

void reset_evaluation() {
  set_box_text(Box::computer_info, Text());
  set_box_text(Box::performance_info, Text());
  evaluation_state.addition_done = 0;
  evaluation_state.multiplication_done = 0;
  evaluation_state.logarithm_done = 0;
  evaluation_state.score = 0;
  evaluation_state.addition.thread_ms_total = 0;
  evaluation_state.multiplication.thread_ms_total = 0;
  evaluation_state.logarithm.thread_ms_total = 0;
  // Runs never overlap (the start button is disabled during one), so no
  // worker can still be using the previous run's lock; a finisher that is
  // just leaving it keeps the lock object alive through its guard.
  delete_lock(evaluation_state.lock_handle);
  evaluation_state.lock_handle = create_lock();
  in_progress.store(true);
}

bool evaluation_in_progress() { return in_progress.load(); }

void launch_addition_stage() { launch_stage(Stage::addition); }
void launch_multiplication_stage() { launch_stage(Stage::multiplication); }
void launch_logarithm_stage() { launch_stage(Stage::logarithm); }

void run_sort_stage() {
  const int32_t count = sort_element_count();
  std::vector<int32_t> values(static_cast<size_t>(count), 0);
  append_performance(sort_start_line(count));

  const int32_t start = tick_count();
  seed_random(start);
  fill_random(values.data(), count);
  exchange_sort(values.data(), count);
  evaluation_state.sort_ms = ticks_between(start, tick_count());

  append_performance(sort_time_line(evaluation_state.sort_ms));
  append_performance(sort_end_line());
  evaluation_state.score = final_score(evaluation_state.score, evaluation_state.sort_ms);
  append_performance(score_line(evaluation_state.score));
  // The run is over: a new one may start.
  in_progress.store(false);
  set_start_button_enabled(true);
}
