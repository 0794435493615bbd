#include "run_session.h"

#include "ui/control_ids.h"

using namespace ui_ids;

namespace e2e {

namespace {
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
    if (line == "\r\n" && !lines.empty())
      lines.back() += line;
    else
      lines.push_back(line);
    from = end;
  }
  return lines;
}

std::vector<Text> performance_lines(const Session& s) { return lines_of(window_text(s.performance)); }

bool has_score(const Session& s) {
  return window_text(s.performance).find("您的计算机评分： ") != Text::npos;
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
