// The evaluation chain driven natively: workers are real threads started by a
// test starter that can hold each stage's workers until all of them exist,
// fail chosen starts, and join every thread at the end of a test.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <utility>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/evaluation.h"
#include "bench/stages.h"
#include "bench/test_hooks.h"
#include "fake_boxes.h"
#include "run_lines.h"

namespace {

// ---- the test's thread starter --------------------------------------------

enum class FailStarts { none, every_other, all, last_of_each_stage };

std::mutex threads_guard;
std::vector<std::thread> threads;
std::atomic<int> start_calls{0};
std::atomic<FailStarts> fail_starts{FailStarts::none};
std::atomic<bool> release_all{false};

bool should_fail(int call) {
  switch (fail_starts.load()) {
    case FailStarts::none:
      return false;
    case FailStarts::every_other:
      return call % 2 == 1;
    case FailStarts::all:
      return true;
    case FailStarts::last_of_each_stage:
      return call % 64 == 63;
  }
  return false;
}

// Each started worker waits until its stage's 64 start calls have been made,
// so the whole stage reports in at once.
bool test_starter(ThreadRoutine routine) {
  const int call = start_calls.fetch_add(1);
  if (should_fail(call)) return false;
  const int batch_end = (call / 64 + 1) * 64;
  std::lock_guard<std::mutex> hold(threads_guard);
  threads.emplace_back([routine, batch_end] {
    while (start_calls.load() < batch_end && !release_all.load()) std::this_thread::yield();
    routine();
  });
  return true;
}

void join_all_threads() {
  release_all = true;
  for (;;) {
    std::vector<std::thread> batch;
    {
      std::lock_guard<std::mutex> hold(threads_guard);
      batch.swap(threads);
    }
    if (batch.empty()) return;
    for (std::thread& t : batch) t.join();
  }
}

// ---- a tick source that gives each thread its own steady clock ------------
// Every thread's n-th reading is base + n * step (modulo 2^32), so every worker
// measures exactly `step` milliseconds.
std::atomic<uint32_t> tick_base{0};
std::atomic<uint32_t> tick_step{1000};
std::atomic<int> tick_generation{0};

int32_t stepping_ticks() {
  thread_local int generation = -1;
  thread_local uint32_t readings = 0;
  if (generation != tick_generation.load()) {
    generation = tick_generation.load();
    readings = 0;
  }
  return static_cast<int32_t>(tick_base.load() + tick_step.load() * readings++);
}

void use_stepping_ticks(uint32_t base, uint32_t step) {
  tick_base = base;
  tick_step = step;
  ++tick_generation;
  platform_test::set_tick_source(stepping_ticks);
}

// ---- line checks -----------------------------------------------------------

// The sixteen lines of a run with the given sizes, each checked by its shape
// (a fake clock may make a figure negative).
void expect_run_lines(const std::vector<Text>& lines, int a, int m, int l, int s) {
  support::expect_sixteen_lines(lines, std::to_string(a), std::to_string(m), std::to_string(l),
                                std::to_string(s), true);
}

bool run_finished(const fake_boxes::Snapshot& s) { return s.lines_before_last_enable >= 0; }

class Evaluation : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_test::reset_shutdown();
    platform_test::set_tick_source(nullptr);
    platform_test::set_thread_starter(test_starter);
    start_calls = 0;
    fail_starts = FailStarts::none;
    release_all = false;
    bench_test::set_sizes(40, 40, 20, 300);
    fake_boxes::clear();
  }
  void TearDown() override {
    join_all_threads();
    platform_test::set_thread_starter(nullptr);
    platform_test::set_tick_source(nullptr);
    platform_test::reset_shutdown();
    bench_test::set_sizes(0, 0, 0, 0);
  }

  // A whole run as the start button begins it, up to the score line.
  fake_boxes::Snapshot run_once() {
    fake_boxes::clear();
    reset_evaluation();
    launch_addition_stage();
    fake_boxes::wait_for(run_finished);
    join_all_threads();
    release_all = false;
    return fake_boxes::snapshot();
  }
};

// ---- whole runs --------------------------------------------------------------

TEST_F(Evaluation, RunWritesSixteenLinesInOrderThenEnablesStart) {
  set_box_text(Box::computer_info, "old\r\n");
  append_to_box(Box::performance_info, "old line\r\n");
  reset_evaluation();
  EXPECT_TRUE(fake_boxes::snapshot().computer_lines.empty());
  EXPECT_TRUE(fake_boxes::snapshot().performance_lines.empty());

  launch_addition_stage();
  fake_boxes::wait_for(run_finished);
  join_all_threads();
  const fake_boxes::Snapshot s = fake_boxes::snapshot();

  expect_run_lines(s.performance_lines, 40, 40, 20, 300);
  EXPECT_EQ(s.lines_before_last_enable, 16);  // right after the score line
  EXPECT_EQ(s.button_changes, std::vector<bool>{true});
  EXPECT_EQ(evaluation_state.addition_done, 64);
  EXPECT_EQ(evaluation_state.multiplication_done, 64);
  EXPECT_EQ(evaluation_state.logarithm_done, 64);
  EXPECT_EQ(start_calls.load(), 3 * 64);
}

// A run counts as in progress from its reset until its score line: the start
// button's handler refuses to begin another one meanwhile.
TEST_F(Evaluation, InProgressFromResetUntilTheScoreLine) {
  EXPECT_FALSE(evaluation_in_progress());
  reset_evaluation();
  EXPECT_TRUE(evaluation_in_progress());
  launch_addition_stage();
  fake_boxes::wait_for(run_finished);
  join_all_threads();
  EXPECT_FALSE(evaluation_in_progress());
}

// All 64 workers of every stage report at once; each stage's lines appear
// exactly once, so exactly one finisher ran each completion.
TEST_F(Evaluation, EachStageElectsOneFinisher) {
  for (int round = 0; round < 3; ++round) {
    const fake_boxes::Snapshot s = run_once();
    expect_run_lines(s.performance_lines, 40, 40, 20, 300);
    EXPECT_EQ(s.button_changes.size(), 1u);
  }
}

struct WorkerTimes {
  const char* name;
  uint32_t base;
  uint32_t step;
  float total;
  const char* average_figure;
};

class EvaluationTimes : public Evaluation, public ::testing::WithParamInterface<WorkerTimes> {};

// Every worker measures `step` ms (also across a wrap of the tick counter);
// a second run starts again from zero.
TEST_P(EvaluationTimes, SumsAndAveragesOfEachRunStartFromZero) {
  const WorkerTimes& p = GetParam();
  for (int run = 0; run < 2; ++run) {
    use_stepping_ticks(p.base, p.step);
    const LockHandle before = evaluation_state.lock_handle;
    const fake_boxes::Snapshot s = run_once();
    ASSERT_EQ(s.performance_lines.size(), 16u);
    EXPECT_NE(evaluation_state.lock_handle, before);
    EXPECT_FALSE(delete_lock(before)) << "the previous run's lock is deleted by the reset";
    EXPECT_EQ(evaluation_state.addition.thread_ms_total, p.total);
    EXPECT_EQ(evaluation_state.multiplication.thread_ms_total, p.total);
    EXPECT_EQ(evaluation_state.logarithm.thread_ms_total, p.total);
    EXPECT_EQ(evaluation_state.addition_done, 64);
    EXPECT_EQ(evaluation_state.logarithm_done, 64);
    const Text figure = p.average_figure;
    EXPECT_EQ(s.performance_lines[1], "单线程加法平均耗时：" + figure + " 秒\r\n");
    EXPECT_EQ(s.performance_lines[5], "单线程乘法平均耗时：" + figure + " 秒\r\n");
    EXPECT_EQ(s.performance_lines[9], "单线程对数运算平均耗时：" + figure + " 秒\r\n");
    EXPECT_EQ(evaluation_state.sort_ms, static_cast<int32_t>(p.step));
  }
}

INSTANTIATE_TEST_SUITE_P(Ticks, EvaluationTimes,
                         ::testing::Values(WorkerTimes{"each1000", 5000, 1000, 64000.0f, "1"},
                                           WorkerTimes{"each1500", 5000, 1500, 96000.0f, "1.5"},
                                           WorkerTimes{"wrapPastSignedMax", 0x7FFFFE0Cu, 1000, 64000.0f, "1"},
                                           WorkerTimes{"wrapPastZero", 0xFFFFFE0Cu, 1000, 64000.0f, "1"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- which ticks each stage's time spans ---------------------------------------
// A clock that moves only while a performance line is being written: line n
// costs line_cost[n] ms, added while the line is appended; reading the clock
// costs nothing. A tick read just before a line and one read just after it
// differ by exactly that line's cost, so each total line, each stage's share of
// the score and the sort time show which lines fell inside their span.
constexpr int kRunLines = 16;
std::atomic<uint32_t> line_clock{0};
std::array<int32_t, kRunLines> line_cost{};
// `score` of the evaluation as each performance line began to be written.
std::array<float, kRunLines> score_at_line{};

int32_t line_clock_ticks() { return static_cast<int32_t>(line_clock.load()); }

void use_line_clock(const std::array<int32_t, kRunLines>& costs) {
  line_cost = costs;
  score_at_line.fill(-1.0f);
  line_clock = 100000;
  fake_boxes::set_append_observer([](Box box, size_t index, const Text&) {
    if (box != Box::performance_info || index >= kRunLines) return;
    // Appends of a run come from the finisher holding the evaluation lock, so
    // reading score here is ordered with its writes.
    score_at_line[index] = evaluation_state.score;
    line_clock += static_cast<uint32_t>(line_cost[index]);
  });
  platform_test::set_tick_source(line_clock_ticks);
}

// The lines of a run, by index.
enum RunLine {
  addition_launch,
  addition_average,
  addition_total,
  addition_end,
  multiplication_launch,
  multiplication_average,
  multiplication_total,
  multiplication_end,
  logarithm_launch,
  logarithm_average,
  logarithm_total,
  logarithm_end,
  sort_start,
  sort_time,
  sort_end,
  score_written,
};

std::array<int32_t, kRunLines> costs_of(std::initializer_list<std::pair<RunLine, int32_t>> lines) {
  std::array<int32_t, kRunLines> costs{};
  for (const auto& [line, ms] : lines) costs[line] = ms;
  return costs;
}

// Line n costs 40 * 2^n ms: every span is a distinct sum, and every sum of
// whole lines divided by 4 is whole milliseconds, so the score has no tie to
// round.
std::array<int32_t, kRunLines> powers_of_two() {
  std::array<int32_t, kRunLines> costs{};
  for (int n = 0; n < kRunLines; ++n) costs[n] = 40 << n;
  return costs;
}

struct StageSpans {
  const char* name;
  std::array<int32_t, kRunLines> cost;
  // The figures of the addition, multiplication, logarithm and sort total lines.
  const char* totals[4];
  // What the addition, multiplication and logarithm stages add to score (ms),
  // and sort_ms.
  int32_t shares[4];
  const char* score;
};

void PrintTo(const StageSpans& p, std::ostream* out) { *out << p.name; }

class EvaluationSpans : public Evaluation, public ::testing::WithParamInterface<StageSpans> {
 protected:
  void TearDown() override {
    fake_boxes::set_append_observer(nullptr);
    Evaluation::TearDown();
  }
};

// A stage's time runs from just before its launch line to a tick its finisher
// reads after the total line (for the logarithm stage: after the end line); the
// total line shows the time up to the tick just before it, so neither the total
// line nor the end line counts in it. The sort's time covers neither its start
// line nor its time line.
TEST_P(EvaluationSpans, TotalLinesAndScoreCoverTheirOwnLines) {
  const StageSpans& p = GetParam();
  use_line_clock(p.cost);
  const fake_boxes::Snapshot s = run_once();
  ASSERT_EQ(s.performance_lines.size(), 16u);
  const std::vector<Text>& lines = s.performance_lines;
  EXPECT_EQ(lines[addition_total], "加法总耗时：" + Text(p.totals[0]) + " 秒\r\n");
  EXPECT_EQ(lines[multiplication_total], "乘法总耗时：" + Text(p.totals[1]) + " 秒\r\n");
  EXPECT_EQ(lines[logarithm_total], "对数运算总耗时：" + Text(p.totals[2]) + " 秒\r\n");
  EXPECT_EQ(lines[sort_time], "排序运算总耗时：" + Text(p.totals[3]) + " 秒\r\n");

  // score holds the running sum until the sort stage: after each stage's share
  // has been added, the next line shows it.
  EXPECT_EQ(score_at_line[addition_launch], 0.0f);
  EXPECT_EQ(score_at_line[addition_total], 0.0f) << "the share is added after the total line";
  EXPECT_EQ(score_at_line[addition_end], static_cast<float>(p.shares[0]));
  EXPECT_EQ(score_at_line[multiplication_total], static_cast<float>(p.shares[0]));
  EXPECT_EQ(score_at_line[multiplication_end], static_cast<float>(p.shares[0] + p.shares[1]));
  EXPECT_EQ(score_at_line[logarithm_end], static_cast<float>(p.shares[0] + p.shares[1]))
      << "the logarithm's share is added after its end line";
  EXPECT_EQ(score_at_line[sort_start], static_cast<float>(p.shares[0] + p.shares[1] + p.shares[2]));
  EXPECT_EQ(evaluation_state.sort_ms, p.shares[3]);
  EXPECT_EQ(lines[score_written], "您的计算机评分： " + Text(p.score) + "（分数越低测试性能越高）\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, EvaluationSpans,
    ::testing::Values(
        // Only the launch lines take time: they are inside their stage's total
        // and share.
        StageSpans{
            "launchLines",
            costs_of({{addition_launch, 1230}, {multiplication_launch, 4560}, {logarithm_launch, 7890}}),
            {"1.23", "4.6", "7.9", "0"},
            {1230, 4560, 7890, 0},
            "3.42"},
        // The average lines come before the total's tick.
        StageSpans{
            "averageLines",
            costs_of({{addition_average, 1110}, {multiplication_average, 2220}, {logarithm_average, 3330}}),
            {"1.11", "2.2", "3.3", "0"},
            {1110, 2220, 3330, 0},
            "1.665"},
        // A total line is outside its own figure but inside its stage's share.
        StageSpans{"totalLines",
                   costs_of({{addition_total, 1500}, {multiplication_total, 2500}, {logarithm_total, 3500}}),
                   {"0", "0", "0", "0"},
                   {1500, 2500, 3500, 0},
                   "1.875"},
        // Only the logarithm's end line falls inside a share: the other two
        // come after their stage's score tick and before the next launch.
        StageSpans{"endLines",
                   costs_of({{addition_end, 1000}, {multiplication_end, 2000}, {logarithm_end, 4000}}),
                   {"0", "0", "0", "0"},
                   {0, 0, 4000, 0},
                   "1"},
        // The sort's own lines are outside sort_ms.
        StageSpans{"sortLines",
                   costs_of({{sort_start, 1000}, {sort_time, 2000}, {sort_end, 3000}, {score_written, 5000}}),
                   {"0", "0", "0", "0"},
                   {0, 0, 0, 0},
                   "0"},
        // Every line its own cost: addition 40+80 for the total, +160 for the
        // share; multiplication 640+1280, +2560; logarithm 10240+20480,
        // +40960+81920; (280+4480+153600)/4 ms = 39.59 s.
        StageSpans{"everyLineItsOwn",
                   powers_of_two(),
                   {"0.12", "1.9", "30.7", "0"},
                   {280, 4480, 153600, 0},
                   "39.59"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  FailStarts fail;
  int32_t workers_per_stage;
  const char* average_if_known;
};

class EvaluationStartFailures : public Evaluation, public ::testing::WithParamInterface<FailureCase> {};

// Workers that cannot be started do not stop the run: the stage finishes with
// the ones that started (on the launching thread when none did).
TEST_P(EvaluationStartFailures, StageFinishesWithTheWorkersThatStarted) {
  const FailureCase& p = GetParam();
  fail_starts = p.fail;
  use_stepping_ticks(1000, 500);
  const fake_boxes::Snapshot s = run_once();
  expect_run_lines(s.performance_lines, 40, 40, 20, 300);
  EXPECT_EQ(s.lines_before_last_enable, 16);
  EXPECT_EQ(evaluation_state.addition_done, p.workers_per_stage);
  EXPECT_EQ(evaluation_state.multiplication_done, p.workers_per_stage);
  EXPECT_EQ(evaluation_state.logarithm_done, p.workers_per_stage);
  EXPECT_EQ(evaluation_state.addition.thread_count, p.workers_per_stage);
  EXPECT_EQ(evaluation_state.logarithm.thread_ms_total, 500.0f * p.workers_per_stage);
  EXPECT_EQ(s.performance_lines[1], "单线程加法平均耗时：" + Text(p.average_if_known) + " 秒\r\n");
}

INSTANTIATE_TEST_SUITE_P(Starts, EvaluationStartFailures,
                         ::testing::Values(FailureCase{"everyOther", FailStarts::every_other, 32, "0.5"},
                                           FailureCase{"lastOfEachStage", FailStarts::last_of_each_stage, 63,
                                                       "0.5"},
                                           FailureCase{"all", FailStarts::all, 0, "0"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Evaluation, NoWorkerStartingCompletesTheWholeRunOnTheLaunchingThread) {
  fail_starts = FailStarts::all;
  reset_evaluation();
  launch_addition_stage();
  // Nothing to wait for: every stage completed inside the launch.
  expect_run_lines(fake_boxes::snapshot().performance_lines, 40, 40, 20, 300);
}

// ---- shutdown ------------------------------------------------------------------

TEST_F(Evaluation, WorkersThatFinishAfterShutdownWriteNothing) {
  reset_evaluation();
  fail_starts = FailStarts::none;
  // Hold the workers: only the first 63 start calls count towards the batch.
  release_all = false;
  start_calls = -1;  // the batch needs one more call than the stage makes
  launch_addition_stage();
  begin_shutdown();
  delete_lock(evaluation_state.lock_handle);
  join_all_threads();
  const fake_boxes::Snapshot s = fake_boxes::snapshot();
  ASSERT_EQ(s.performance_lines.size(), 1u);
  EXPECT_EQ(evaluation_state.addition_done, 0);
  EXPECT_TRUE(s.button_changes.empty());
}

TEST_F(Evaluation, LaunchAfterShutdownStartsNoWorker) {
  reset_evaluation();
  begin_shutdown();
  launch_multiplication_stage();
  join_all_threads();
  EXPECT_EQ(start_calls.load(), 0);
  EXPECT_EQ(fake_boxes::snapshot().performance_lines.size(), 1u);
}

// ---- lines of the worked examples ---------------------------------------------

TEST(EvaluationLines, LaunchLinesAtTheProgramsOwnSizes) {
  bench_test::set_sizes(0, 0, 0, 0);
  EXPECT_EQ(launch_line(Stage::addition, 64, stage_loop_count(Stage::addition)),
            "64线程、两层8000循环加法开始测试.....\r\n");
  EXPECT_EQ(launch_line(Stage::multiplication, 64, stage_loop_count(Stage::multiplication)),
            "64线程、两层7000循环乘法开始测试.....\r\n");
  EXPECT_EQ(launch_line(Stage::logarithm, 64, stage_loop_count(Stage::logarithm)),
            "64线程、两层6000循环对数运算开始测试.....\r\n");
  EXPECT_EQ(sort_start_line(sort_element_count()), "21000元素数组排序开始.....\r\n");
  EXPECT_EQ(end_line(Stage::addition), "加法测试结束...\r\n");
  EXPECT_EQ(end_line(Stage::multiplication), "乘法测试结束...\r\n");
  EXPECT_EQ(end_line(Stage::logarithm), "对数运算测试结束...\r\n");
  EXPECT_EQ(sort_end_line(), "排序运算测试结束...\r\n\r\n");
}

TEST(EvaluationLines, WorkedExamples) {
  EXPECT_EQ(average_line(Stage::addition, 96000.0f, 64), "单线程加法平均耗时：1.5 秒\r\n");
  EXPECT_EQ(average_line(Stage::logarithm, 64000.0f, 64), "单线程对数运算平均耗时：1 秒\r\n");
  EXPECT_EQ(average_line(Stage::multiplication, 1234.0f, 64), "单线程乘法平均耗时：0.019 秒\r\n");
  EXPECT_EQ(total_line(Stage::addition, 12346), "加法总耗时：12.35 秒\r\n");
  EXPECT_EQ(total_line(Stage::multiplication, 12346), "乘法总耗时：12.3 秒\r\n");
  EXPECT_EQ(total_line(Stage::logarithm, 12346), "对数运算总耗时：12.3 秒\r\n");
  EXPECT_EQ(sort_time_line(4321), "排序运算总耗时：4.3 秒\r\n");
  EXPECT_EQ(sort_time_line(4000), "排序运算总耗时：4 秒\r\n");

  const float score = final_score(10000.0f + 12000.0f + 14000.0f, 4000);
  EXPECT_EQ(score, 10.0f);
  EXPECT_EQ(score_line(score), "您的计算机评分： 10（分数越低测试性能越高）\r\n");
  EXPECT_EQ(final_score(12345.0f, 0), static_cast<float>(3.086));  // 3.08625 to 3 decimals
}

TEST(EvaluationLines, SumsAreSinglePrecisionAddedInDouble) {
  EXPECT_EQ(add_ms(0.0f, 1000), 1000.0f);
  float sum = 0;
  for (int i = 0; i < 64; ++i) sum = add_ms(sum, 1500);
  EXPECT_EQ(sum, 96000.0f);
  EXPECT_EQ(add_ms(16777216.0f, 1), 16777216.0f);  // past 2^24 no longer exact
}

TEST(EvaluationTicks, DifferencesAreTakenModulo32Bits) {
  struct Case {
    int32_t from, to, ms;
  };
  const Case cases[] = {
      {1000, 2500, 1500}, {INT32_MAX, INT32_MIN, 1}, {INT32_MAX - 499, INT32_MIN + 500, 1000},
      {-1, 999, 1000},    {-500, 500, 1000},
  };
  for (const Case& c : cases) EXPECT_EQ(ticks_between(c.from, c.to), c.ms) << c.from << " -> " << c.to;
}

// ---- sort and generator ----------------------------------------------------------

TEST(SortStage, ExchangeSortLeavesEveryArrayAscending) {
  seed_random(12345);
  std::vector<int32_t> random(500);
  fill_random(random.data(), static_cast<int32_t>(random.size()));
  std::vector<int32_t> few_values(300);
  for (size_t i = 0; i < few_values.size(); ++i) few_values[i] = static_cast<int32_t>((i * 7919) % 5);
  std::vector<int32_t> descending(200);
  for (size_t i = 0; i < descending.size(); ++i) descending[i] = 1048576 - static_cast<int32_t>(i);

  const std::vector<std::vector<int32_t>> cases = {
      {}, {7}, {2, 1}, {5, 5, 5, 5}, {3, -1, 3, 0, -1}, random, few_values, descending,
  };
  for (const std::vector<int32_t>& original : cases) {
    std::vector<int32_t> values = original;
    exchange_sort(values.data(), static_cast<int32_t>(values.size()));
    std::vector<int32_t> expected = original;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(values, expected);
  }
}

TEST(SortStage, DrawsStayWithinBothBoundsAndRepeatForASeed) {
  seed_random(-7);
  std::vector<int32_t> first(20000);
  fill_random(first.data(), static_cast<int32_t>(first.size()));
  EXPECT_GE(*std::min_element(first.begin(), first.end()), 0);
  EXPECT_LE(*std::max_element(first.begin(), first.end()), 1048576);
  EXPECT_GT(*std::max_element(first.begin(), first.end()), 1048576 - 1000);

  seed_random(-7);
  std::vector<int32_t> again(20000);
  fill_random(again.data(), static_cast<int32_t>(again.size()));
  EXPECT_EQ(first, again);

  seed_random(0);
  bool seen[4] = {};
  for (int i = 0; i < 1000; ++i) {
    const int32_t v = random_between(10, 13);
    ASSERT_GE(v, 10);
    ASSERT_LE(v, 13);
    seen[v - 10] = true;
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2] && seen[3]);
  EXPECT_EQ(random_between(5, 5), 5);
}

}  // namespace
