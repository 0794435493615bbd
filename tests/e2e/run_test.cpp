// An evaluation run as the user drives it: the confirmation, the sixteen lines
// of the performance box, the computer information lines, the start button
// during and after a run, a second run, selecting text while lines are added,
// and ending the program in the middle of each stage.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "harness.h"
#include "run_session.h"
#include "ui/control_ids.h"

using namespace ui_ids;
using namespace e2e;

namespace {

// Small sizes: a whole run takes a few seconds at most.
const char kSmall[] = "300,300,100,3000";

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
  ASSERT_EQ(performance_lines(s).size(), c.lines_while_running)
      << "the stage ended too early to be interrupted";
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

// The user selects text in the performance box while lines are being added:
// every line still lands whole, at the end, in order, whatever the mouse does
// between two appends.
enum class Mouse { none, held_drag, flood_of_drags };

struct DragCase {
  const char* name;
  Mouse mouse;
};

class SelectingDuringRun : public ::testing::TestWithParam<DragCase> {};

// Posts the mouse input of `mouse` to `box` until `stop` is set, as the
// mouse would deliver it: button down, moves with the button held, button up.
void move_the_mouse(HWND box, Mouse mouse, const std::atomic<bool>& stop) {
  RECT area{};
  GetClientRect(box, &area);
  const int x = (area.right - area.left) / 2;
  auto at = [&](int step) {
    // Up and down over the box's lines, from top to bottom and back.
    const int span = area.bottom > 20 ? area.bottom - 10 : 10;
    const int y = 5 + (step * 7) % (2 * span);
    return MAKELPARAM(x + (step % 5) * 3, y < span ? y : 2 * span - y);
  };
  int step = 0;
  if (mouse == Mouse::held_drag) {
    PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, at(step));
    while (!stop.load()) {
      PostMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, at(++step));
      Sleep(10);
    }
    PostMessageW(box, WM_LBUTTONUP, 0, at(step));
  } else if (mouse == Mouse::flood_of_drags) {
    while (!stop.load()) {
      PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, at(++step));
      for (int i = 0; i < 3; ++i) PostMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, at(++step));
      PostMessageW(box, WM_LBUTTONUP, 0, at(step));
      // Let the program's queue drain a little, or the flood only grows it.
      if (step % 40 == 0) Sleep(1);
    }
  }
}

TEST_P(SelectingDuringRun, EveryLineLandsWholeAtTheEnd) {
  const DragCase& c = GetParam();
  Session s;
  ASSERT_TRUE(open_session(s, {{"QUELMO_SEAM_LOOPS", kSmall}}));
  // A first run, so the box holds lines to select from the start of the next.
  run_to_score(s, 120000);
  std::atomic<bool> stop{false};
  std::thread mouse(move_the_mouse, s.performance, c.mouse, std::cref(stop));
  run_to_score(s, 120000);
  stop.store(true);
  mouse.join();
  SendMessageW(s.main, WM_NULL, 0, 0);  // the posted input has been taken
  const std::vector<Text> lines = performance_lines(s);
  expect_sixteen_lines(lines, "300", "300", "100", "3000");
  Text joined;
  for (const Text& line : lines) joined += line;
  EXPECT_EQ(e2e::window_text(s.performance), joined) << "text outside the run's lines";
  expect_computer_lines(s);
}

INSTANTIATE_TEST_SUITE_P(Mouse, SelectingDuringRun,
                         ::testing::Values(DragCase{"NoInput", Mouse::none},
                                           DragCase{"HeldDragMovingEvery10ms", Mouse::held_drag},
                                           DragCase{"FloodOfDragGestures", Mouse::flood_of_drags}),
                         [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Stages, EndDuringRun,
                         ::testing::Values(EndCase{"ExitInAddition", "40000,10,10,100", 1, true},
                                           EndCase{"EscInAddition", "40000,10,10,100", 1, false},
                                           EndCase{"ExitInMultiplication", "10,40000,10,100", 5, true},
                                           EndCase{"EscInMultiplication", "10,40000,10,100", 5, false},
                                           EndCase{"ExitInLogarithm", "10,10,4000,100", 9, true},
                                           EndCase{"EscInLogarithm", "10,10,4000,100", 9, false},
                                           EndCase{"ExitInSort", "10,10,10,150000", 13, true},
                                           EndCase{"EscInSort", "10,10,10,150000", 13, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
