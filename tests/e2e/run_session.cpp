#include "run_session.h"

#include <regex>

#include "ui/control_ids.h"

using namespace ui_ids;

namespace e2e {

namespace {
bool starts_with(const Text& s, const Text& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }
bool ends_with(const Text& s, const Text& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

const char kConfirmation[] =
    "本程序将通过数据运算评估计算机处理器性能。评估过程受软件性能限制，结果仅供参考。"
    "评估过程根据计算机性能不同大约持续5秒-600秒。为了提高评估准确性，开始评估前Quelmo"
    "建议您关闭非必要的程序，您确定要开始评估吗？";



::testing::AssertionResult open_session(Session& s, const Environment& environment, Variant variant) {
  s.program = start_program(environment, variant);
  if (s.program == nullptr) return ::testing::AssertionFailure() << "program not started";
  s.main = wait_main_window(*s.program);
  if (s.main == nullptr) return ::testing::AssertionFailure() << "no main window";
  s.performance = find_control(s.main, 编辑框_性能信息);
  s.computer = find_control(s.main, 编辑框_计算机信息);
  s.start = find_control(s.main, 按钮_开始评估);
  s.exit = find_control(s.main, 按钮_退出);
  if (!s.performance || !s.computer || !s.start || !s.exit)
    return ::testing::AssertionFailure() << "controls missing";
  return ::testing::AssertionSuccess();
}

// Clicks start and answers the confirmation.
::testing::AssertionResult answer_start(const Session& s, int answer) {
  click(s.start);
  const std::optional<MessageBoxSeen> box = wait_message_box(*s.program);
  if (!box) return ::testing::AssertionFailure() << "no confirmation box";
  if (box->caption != "开始评估") return ::testing::AssertionFailure() << "caption " << box->caption;
  if (box->text != kConfirmation) return ::testing::AssertionFailure() << "text " << box->text;
  answer_message_box(box->hwnd, answer);
  if (!wait_gone(box->hwnd)) return ::testing::AssertionFailure() << "box stays";
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

std::vector<Text> performance_lines(const Session& s) { return lines_of(window_text(s.performance)); }

bool has_score(const Session& s) { return window_text(s.performance).find("您的计算机评分： ") != Text::npos; }


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
  const std::vector<Text> lines = lines_of(window_text(s.computer));
  ASSERT_EQ(lines.size(), 12u) << window_text(s.computer);
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
  ASSERT_TRUE(wait_until([&] { return IsWindowEnabled(s.start) == FALSE; })) << "start not disabled";
  ASSERT_TRUE(wait_until([&] { return !has_score(s); })) << "the previous score stays";
  bool seen_running = false;
  bool enabled_while_running = false;
  const bool finished = wait_until(
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
  EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(s.start) != FALSE; }))
      << "start stays disabled after the run";
}

}  // namespace e2e
