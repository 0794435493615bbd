// The box operations on a real MainWindow: appends from another thread are
// carried out by the thread that runs the message loop, land at the very end
// in order whatever is selected, and the texts cross into the box and back
// unchanged as code page 936 bytes.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "program_driver.h"
#include "ui/boxes.h"
#include "ui/control_ids.h"
#include "ui/main_window.h"
#include "ui/window.h"

using namespace ui_ids;

namespace {

constexpr int kTimeoutMs = 20000;

// Runs the message loop of this thread until `done` holds or the time is up.
template <typename Done>
bool pump_until(Done done) {
  const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

HWND find_descendant(HWND window, int id) { return support::find_control(window, id); }

BOOL CALLBACK find_main_window(HWND hwnd, LPARAM param) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (std::wstring(name) != kMainWindowClass) return TRUE;
  *reinterpret_cast<HWND*>(param) = hwnd;
  return FALSE;
}

// This thread's MainWindow, or nullptr when it has none.
HWND open_main_window() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), find_main_window, reinterpret_cast<LPARAM>(&found));
  return found;
}

class BoxesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(load_window(main_window()));
    window = open_main_window();
    ASSERT_NE(window, nullptr);
    performance = find_descendant(window, 编辑框_性能信息);
    computer = find_descendant(window, 编辑框_计算机信息);
    ASSERT_NE(performance, nullptr);
    ASSERT_NE(computer, nullptr);
  }
  void TearDown() override {
    if (HWND open = open_main_window()) DestroyWindow(open);
    platform_test::reset_shutdown();
  }

  // Appends `lines` from a worker thread while this thread runs the loop.
  void append_from_worker(Box box, const std::vector<Text>& lines) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      for (const Text& line : lines) append_to_box(box, line);
      done = true;
    });
    const bool finished = pump_until([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished);
  }

  HWND window = nullptr;
  HWND performance = nullptr;
  HWND computer = nullptr;
};

std::vector<Text> numbered_lines(int count) {
  std::vector<Text> lines;
  for (int i = 0; i < count; ++i) lines.push_back("第" + std::to_string(i) + "行\tline\r\n");
  return lines;
}

Text joined(const std::vector<Text>& lines) {
  Text all;
  for (const Text& line : lines) all += line;
  return all;
}

TEST_F(BoxesTest, WorkerAppendsLandAtTheEndInOrderAndShowTheEnd) {
  const std::vector<Text> lines = numbered_lines(120);
  append_from_worker(Box::performance_info, lines);
  EXPECT_EQ(get_box_text(Box::performance_info), joined(lines));
  EXPECT_EQ(get_box_text(Box::computer_info), "") << "the other box is untouched";
  // The caret is at the very end and the box has scrolled down to it.
  DWORD start = 0, end = 0;
  SendMessageW(performance, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const auto length = static_cast<DWORD>(GetWindowTextLengthW(performance));
  EXPECT_EQ(start, length);
  EXPECT_EQ(end, length);
  EXPECT_GT(SendMessageW(performance, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(BoxesTest, SelectionInTheMiddleAndScrolledToTopStillAppendsAtTheEnd) {
  const Text before = joined(numbered_lines(60));
  set_box_text(Box::computer_info, before);
  SendMessageW(computer, EM_SETSEL, 5, 12);
  SendMessageW(computer, WM_VSCROLL, SB_TOP, 0);
  const std::vector<Text> more = {"追加一\r\n", "追加二\r\n", "tail"};
  append_from_worker(Box::computer_info, more);
  EXPECT_EQ(get_box_text(Box::computer_info), before + joined(more));
  EXPECT_GT(SendMessageW(computer, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(BoxesTest, AppendsFromTheLoopThreadItselfWork) {
  append_to_box(Box::computer_info, "甲\r\n");
  append_to_box(Box::computer_info, "乙\r\n");
  EXPECT_EQ(get_box_text(Box::computer_info), "甲\r\n乙\r\n");
}

TEST_F(BoxesTest, SetAndGetRoundTripCodePage936Bytes) {
  const Text cases[] = {
      "",
      "plain ASCII\r\n",
      "计算机信息\t处理器\r\n",
      // Double-byte characters whose second byte is a backslash (0x5C).
      Text("\x95\x5c") + "\x9c\x5c" + "\x81\x5c" + "\\",
      "C:\\Program Files\\Quelmo\\",
      "\x80 euro, \xa1\xa1 ideographic space, \xfe\x4f",
  };
  for (const Text& text : cases) {
    set_box_text(Box::performance_info, text);
    EXPECT_EQ(get_box_text(Box::performance_info), text);
  }
}

TEST_F(BoxesTest, NoLengthLimitBelowTheSystemMaximum) {
  // Beyond the 30000 characters an edit control allows by default.
  Text big;
  while (big.size() < 36000) big += "0123456789 abcdefghij 0123456789 abcdefghij 0123456789 abcdefghij\r\n";
  set_box_text(Box::computer_info, big);
  append_to_box(Box::computer_info, "end");
  const Text got = get_box_text(Box::computer_info);
  EXPECT_EQ(got.size(), big.size() + 3);
  EXPECT_TRUE(got == big + "end") << "ends in: " << got.substr(got.size() > 40 ? got.size() - 40 : 0);
}

TEST_F(BoxesTest, StartButtonCanBeSwitchedFromAWorker) {
  HWND start = find_descendant(window, 按钮_开始评估);
  ASSERT_NE(start, nullptr);
  SetFocus(start);
  std::atomic<int> step{0};
  std::thread worker([&] {
    set_start_button_enabled(false);
    step = 1;
  });
  EXPECT_TRUE(pump_until([&] { return step.load() == 1; }));
  worker.join();
  EXPECT_FALSE(IsWindowEnabled(start));
  EXPECT_NE(GetFocus(), start) << "the focus left the disabled button";
  std::thread again([&] {
    set_start_button_enabled(true);
    step = 2;
  });
  EXPECT_TRUE(pump_until([&] { return step.load() == 2; }));
  again.join();
  EXPECT_TRUE(IsWindowEnabled(start));
}

// Once the window is gone, appends from any thread return at once, even
// while nobody runs a message loop.
TEST_F(BoxesTest, OperationsAfterTheWindowIsGoneReturnAtOnce) {
  DestroyWindow(window);
  EXPECT_EQ(open_main_window(), nullptr);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    append_to_box(Box::performance_info, "late line\r\n");
    set_start_button_enabled(false);
    done = true;
  });
  const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
  while (!done.load() && GetTickCount64() < deadline) Sleep(10);
  EXPECT_TRUE(done.load());
  worker.join();
  EXPECT_EQ(get_box_text(Box::performance_info), "");
}

// destroy_window only asks: the window goes when the loop takes the request.
TEST_F(BoxesTest, DestroyWindowIsARequestTakenByTheLoop) {
  destroy_window(main_window());
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(pump_until([&] { return !IsWindow(window); }));
  EXPECT_EQ(open_main_window(), nullptr);
  destroy_window(main_window());  // nothing left to destroy: does nothing
}

}  // namespace
