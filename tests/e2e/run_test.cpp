// An evaluation run as the user drives it: the confirmation, the sixteen lines
// of the performance box, the computer information lines, the start button
// during and after a run, a second run, and ending the program in the middle
// of each stage.
#include <gtest/gtest.h>

#include <regex>

#include "harness.h"
#include "ui/control_ids.h"

using namespace ui_ids;

namespace {

const char kConfirmation[] =
    "本程序将通过数据运算评估计算机处理器性能。评估过程受软件性能限制，结果仅供参考。"
    "评估过程根据计算机性能不同大约持续5秒-600秒。为了提高评估准确性，开始评估前Quelmo"
    "建议您关闭非必要的程序，您确定要开始评估吗？";

// Small sizes: a whole run takes a few seconds at most.
const char kSmall[] = "300,300,100,3000";

struct Session {
  std::unique_ptr<e2e::Program> program;
  HWND main = nullptr;
  HWND performance = nullptr;
  HWND computer = nullptr;
  HWND start = nullptr;
  HWND exit = nullptr;
};

::testing::AssertionResult open_session(Session& s, const e2e::Environment& environment,
                                        e2e::Variant variant = e2e::Variant::seams) {
  s.program = e2e::start_program(environment, variant);
  if (s.program == nullptr) return ::testing::AssertionFailure() << "program not started";
  s.main = e2e::wait_main_window(*s.program);
  if (s.main == nullptr) return ::testing::AssertionFailure() << "no main window";
  s.performance = e2e::find_control(s.main, 编辑框_性能信息);
  s.computer = e2e::find_control(s.main, 编辑框_计算机信息);
  s.start = e2e::find_control(s.main, 按钮_开始评估);
  s.exit = e2e::find_control(s.main, 按钮_退出);
  if (!s.performance || !s.computer || !s.start || !s.exit)
    return ::testing::AssertionFailure() << "controls missing";
  return ::testing::AssertionSuccess();
}

// Clicks start and answers the confirmation.
::testing::AssertionResult answer_start(const Session& s, int answer) {
  e2e::click(s.start);
  const std::optional<e2e::MessageBoxSeen> box = e2e::wait_message_box(*s.program);
  if (!box) return ::testing::AssertionFailure() << "no confirmation box";
  if (box->caption != "开始评估") return ::testing::AssertionFailure() << "caption " << box->caption;
  if (box->text != kConfirmation) return ::testing::AssertionFailure() << "text " << box->text;
  e2e::answer_message_box(box->hwnd, answer);
  if (!e2e::wait_gone(box->hwnd)) return ::testing::AssertionFailure() << "box stays";
  return ::testing::AssertionSuccess();
}

// The box's lines, each with its "\r\n"; the empty line after the sort's end
// line belongs to it.
std::vector<Text> lines_of(const Text& text) {
  std::vector<Text> lines;
  size_t from = 0;
  while (from < text.size()) {
    size_t end = text.find("\r\n", from);
    end = end == Text::npos ? text.size() : end + 2;
    const Text line = text.substr(from, end - from);
    if (line == "\r\n" && !lines.empty()) lines.back() += line;
    else lines.push_back(line);
    from = end;
  }
  return lines;
}

std::vector<Text> performance_lines(const Session& s) { return lines_of(e2e::window_text(s.performance)); }

bool has_score(const Session& s) { return e2e::window_text(s.performance).find("您的计算机评分： ") != Text::npos; }

bool starts_with(const Text& s, const Text& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }
bool ends_with(const Text& s, const Text& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// label, a figure with at most `decimals` decimals, " 秒\r\n".
::testing::AssertionResult figure_line(const Text& line, const Text& label, int decimals) {
  const Text unit = " 秒\r\n";
  if (!starts_with(line, label) || !ends_with(line, unit) || line.size() <= label.size() + unit.size())
    return ::testing::AssertionFailure() << "label or unit differ: " << line;
  const std::string figure = line.substr(label.size(), line.size() - label.size() - unit.size());
  if (!std::regex_match(figure, std::regex("[0-9]+(\\.[0-9]{1," + std::to_string(decimals) + "})?")))
    return ::testing::AssertionFailure() << "figure '" << figure << "'";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult score_line(const Text& line) {
  const Text label = "您的计算机评分： ";
  const Text tail = "（分数越低测试性能越高）\r\n";
  if (!starts_with(line, label) || !ends_with(line, tail) || line.size() <= label.size() + tail.size())
    return ::testing::AssertionFailure() << line;
  const std::string figure = line.substr(label.size(), line.size() - label.size() - tail.size());
  if (!std::regex_match(figure, std::regex("[0-9]+(\\.[0-9]{1,3})?")))
    return ::testing::AssertionFailure() << "score '" << figure << "'";
  return ::testing::AssertionSuccess();
}

void expect_sixteen_lines(const std::vector<Text>& lines, const char* a, const char* m, const char* l,
                          const char* s) {
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[0], Text("64线程、两层") + a + "循环加法开始测试.....\r\n");
  EXPECT_TRUE(figure_line(lines[1], "单线程加法平均耗时：", 3));
  EXPECT_TRUE(figure_line(lines[2], "加法总耗时：", 2));
  EXPECT_EQ(lines[3], "加法测试结束...\r\n");
  EXPECT_EQ(lines[4], Text("64线程、两层") + m + "循环乘法开始测试.....\r\n");
  EXPECT_TRUE(figure_line(lines[5], "单线程乘法平均耗时：", 3));
  EXPECT_TRUE(figure_line(lines[6], "乘法总耗时：", 1));
  EXPECT_EQ(lines[7], "乘法测试结束...\r\n");
  EXPECT_EQ(lines[8], Text("64线程、两层") + l + "循环对数运算开始测试.....\r\n");
  EXPECT_TRUE(figure_line(lines[9], "单线程对数运算平均耗时：", 3));
  EXPECT_TRUE(figure_line(lines[10], "对数运算总耗时：", 1));
  EXPECT_EQ(lines[11], "对数运算测试结束...\r\n");
  EXPECT_EQ(lines[12], Text(s) + "元素数组排序开始.....\r\n");
  EXPECT_TRUE(figure_line(lines[13], "排序运算总耗时：", 1));
  EXPECT_EQ(lines[14], "排序运算测试结束...\r\n\r\n");
  EXPECT_TRUE(score_line(lines[15]));
}

// Twelve lines of label, tab, value and unit (their values are checked where
// they are collected).
void expect_computer_lines(const Session& s) {
  const std::vector<Text> lines = lines_of(e2e::window_text(s.computer));
  ASSERT_EQ(lines.size(), 12u) << e2e::window_text(s.computer);
  for (const Text& line : lines) {
    const size_t tab = line.find('\t');
    EXPECT_TRUE(tab != Text::npos && tab > 0 && ends_with(line, "\r\n")) << line;
  }
}

// Runs to the score line; on the way, the start button is disabled whenever
// the score has not been written yet, and enabled again afterwards.
void run_to_score(const Session& s, int timeout_ms) {
  ASSERT_TRUE(answer_start(s, IDYES));
  // The handler disables start first, then empties the boxes (a previous
  // run's score goes); the new run takes seconds, so neither is missed.
  ASSERT_TRUE(e2e::wait_until([&] { return IsWindowEnabled(s.start) == FALSE; })) << "start not disabled";
  ASSERT_TRUE(e2e::wait_until([&] { return !has_score(s); })) << "the previous score stays";
  bool seen_running = false;
  bool enabled_while_running = false;
  const bool finished = e2e::wait_until(
      [&] {
        const bool enabled = IsWindowEnabled(s.start) != FALSE;
        if (has_score(s)) return true;  // read after the button: the run was still going
        seen_running = true;
        if (enabled) enabled_while_running = true;
        return false;
      },
      timeout_ms);
  ASSERT_TRUE(finished) << "no score line in time";
  EXPECT_TRUE(seen_running);
  EXPECT_FALSE(enabled_while_running) << "start was enabled during the run";
  EXPECT_TRUE(e2e::wait_until([&] { return IsWindowEnabled(s.start) != FALSE; }))
      << "start stays disabled after the run";
}

TEST(EvaluationRun, SmallRunFillsBothBoxesThenAgainWithFreshLines) {
  Session s;
  ASSERT_TRUE(open_session(s, {{"QUELMO_SEAM_LOOPS", kSmall}}));
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run + 1));
    run_to_score(s, 120000);
    expect_sixteen_lines(performance_lines(s), "300", "300", "100", "3000");
    expect_computer_lines(s);
  }
  e2e::click(s.exit);
  ASSERT_TRUE(e2e::wait_exit(*s.program));
  EXPECT_EQ(s.program->exit_code(), 0u);
}

TEST(EvaluationRun, AnsweringNoChangesNothing) {
  Session s;
  ASSERT_TRUE(open_session(s, {{"QUELMO_SEAM_LOOPS", kSmall}}));
  // Before any run: both boxes stay empty.
  ASSERT_TRUE(answer_start(s, IDNO));
  SendMessageW(s.main, WM_NULL, 0, 0);  // the click handler has returned
  EXPECT_EQ(e2e::window_text(s.performance), "");
  EXPECT_EQ(e2e::window_text(s.computer), "");
  EXPECT_TRUE(IsWindowEnabled(s.start));

  // After a run: its output stays as it is.
  run_to_score(s, 120000);
  const Text performance = e2e::window_text(s.performance);
  const Text computer = e2e::window_text(s.computer);
  ASSERT_TRUE(answer_start(s, IDNO));
  SendMessageW(s.main, WM_NULL, 0, 0);
  EXPECT_FALSE(e2e::message_box_open(*s.program));
  EXPECT_EQ(e2e::window_text(s.performance), performance);
  EXPECT_EQ(e2e::window_text(s.computer), computer);
  EXPECT_TRUE(IsWindowEnabled(s.start));
}

// The shipped program with its full workload.
TEST(EvaluationRun, FullRunOfTheShippedProgram) {
  Session s;
  ASSERT_TRUE(open_session(s, {}, e2e::Variant::plain));
  run_to_score(s, 600000);
  // The figures, for the log (UTF-8).
  const std::wstring shown = e2e::wide(e2e::window_text(s.performance));
  std::vector<char> utf8(shown.size() * 4 + 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, shown.c_str(), static_cast<int>(shown.size()), utf8.data(),
                      static_cast<int>(utf8.size()) - 1, nullptr, nullptr);
  std::printf("%s", utf8.data());
  expect_sixteen_lines(performance_lines(s), "8000", "7000", "6000", "21000");
  expect_computer_lines(s);
  ASSERT_TRUE(e2e::set_focus(*s.program, s.performance));
  e2e::press_key(*s.program, VK_ESCAPE);
  ASSERT_TRUE(e2e::wait_exit(*s.program));
  EXPECT_EQ(s.program->exit_code(), 0u);
}

// Ending the program in the middle of a stage: sizes that make that stage
// last several seconds, the stage recognised by the lines written so far.
struct EndCase {
  const char* name;
  const char* sizes;
  size_t lines_while_running;  // the stage's launch line is the last one
  bool exit_button;            // else Esc
};

class EndDuringRun : public ::testing::TestWithParam<EndCase> {};

TEST_P(EndDuringRun, EndsWithCodeZeroWithinSeconds) {
  const EndCase& c = GetParam();
  Session s;
  ASSERT_TRUE(open_session(s, {{"QUELMO_SEAM_LOOPS", c.sizes}}));
  ASSERT_TRUE(answer_start(s, IDYES));
  ASSERT_TRUE(e2e::wait_until([&] { return performance_lines(s).size() >= c.lines_while_running; }, 120000));
  ASSERT_EQ(performance_lines(s).size(), c.lines_while_running) << "the stage ended too early to be interrupted";
  if (c.exit_button) {
    e2e::click(s.exit);
  } else {
    // As a user would: into the performance box, then Esc.
    ASSERT_TRUE(e2e::set_focus(*s.program, s.performance));
    e2e::press_key(*s.program, VK_ESCAPE);
  }
  ASSERT_TRUE(e2e::wait_exit(*s.program, 10000)) << "still running";
  EXPECT_EQ(s.program->exit_code(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Stages, EndDuringRun,
    ::testing::Values(EndCase{"ExitInAddition", "40000,10,10,100", 1, true},
                      EndCase{"EscInAddition", "40000,10,10,100", 1, false},
                      EndCase{"ExitInLogarithm", "10,10,4000,100", 9, true},
                      EndCase{"EscInLogarithm", "10,10,4000,100", 9, false},
                      EndCase{"ExitInSort", "10,10,10,150000", 13, true},
                      EndCase{"EscInSort", "10,10,10,150000", 13, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
