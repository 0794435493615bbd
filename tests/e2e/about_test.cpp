// The About window: what it shows and in which fonts, that there is only ever
// one, the three ways to close it, the blog button, and the life of the
// process around it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "ui/about_window.h"
#include "ui/control_ids.h"

using namespace ui_ids;

namespace {

const char kCaption[] = "关于 Quelmo计算机性能评估工具";

Text contact_text() {
  return Text("E-Mail: ") + about_contact::kEmail + "\r\nQQ: " + about_contact::kMessenger +
         "\r\n前进！同志，从一个胜利走向另一个胜利！";
}

struct ControlCase {
  int id;
  int left, top, width, height;
  const char* text;  // nullptr: the contact text
};

const ControlCase kControls[] = {
    {Email, 16, 109, 348, 36, nullptr},
    {打开博客, 149, 160, 88, 26, "Quelmo博客"},
    {关于_内容, 16, 47, 344, 57, "版权所有 (C) 2011-2026 Quelmo Corporation"},
    {确定, 266, 160, 88, 26, "确定"},
    {关于窗口主标签, 0, 4, 376, 40, "Quelmo计算机性能评估工具 1.0"},
};

// The four controls other than the title label use the stock default GUI
// font; the title label a font of its own: character height 20, normal
// weight, no face named.
struct FontCase {
  int id;
  bool stock_gui_font;
};

const FontCase kFonts[] = {
    {Email, true}, {打开博客, true}, {关于_内容, true}, {确定, true}, {关于窗口主标签, false},
};

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override { start({}); }

  void start(const e2e::Environment& environment) {
    program = e2e::start_program(environment);
    ASSERT_NE(program, nullptr);
    main = e2e::wait_main_window(*program);
    ASSERT_NE(main, nullptr);
  }

  HWND open_about() {
    e2e::click(e2e::find_control(main, 按钮_关于));
    return e2e::wait_about_window(*program);
  }

  size_t about_count() { return e2e::top_windows(*program, L"QuelmoAboutWindow").size(); }

  void expect_about_as_composed(HWND about) {
    EXPECT_EQ(e2e::window_text(about), kCaption);
    const RECT r = e2e::window_rect(about);
    EXPECT_EQ(r.right - r.left, 378);
    EXPECT_EQ(r.bottom - r.top, 224);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 378) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 224) / 2);
    for (const ControlCase& c : kControls) {
      SCOPED_TRACE("control " + std::to_string(c.id));
      HWND control = e2e::find_control(about, c.id);
      ASSERT_NE(control, nullptr);
      EXPECT_EQ(GetParent(control), about);
      const RECT cr = e2e::rect_in_parent(control);
      EXPECT_EQ(cr.left, c.left);
      EXPECT_EQ(cr.top, c.top);
      EXPECT_EQ(cr.right - cr.left, c.width);
      EXPECT_EQ(cr.bottom - cr.top, c.height);
      EXPECT_EQ(e2e::window_text(control), c.text != nullptr ? Text(c.text) : contact_text());
    }
  }

  std::unique_ptr<e2e::Program> program;
  HWND main = nullptr;
};

TEST_F(AboutTest, ShowsTheComposedTextsCentred) {
  HWND about = open_about();
  ASSERT_NE(about, nullptr);
  expect_about_as_composed(about);
  const LONG style = e2e::style_of(about);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU) << "caption and close box";
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_NE(e2e::ex_style_of(about) & WS_EX_APPWINDOW, 0);
  EXPECT_EQ(GetWindow(about, GW_OWNER), nullptr);
  for (int id : {打开博客, 确定}) {
    EXPECT_EQ(e2e::style_of(e2e::find_control(about, id)) & BS_TYPEMASK, BS_PUSHBUTTON);
  }
}

TEST_F(AboutTest, ControlsUseTheirFonts) {
  HWND about = open_about();
  ASSERT_NE(about, nullptr);
  for (const FontCase& c : kFonts) {
    SCOPED_TRACE("control " + std::to_string(c.id));
    HWND control = e2e::find_control(about, c.id);
    ASSERT_NE(control, nullptr);
    const std::optional<e2e::ControlFont> font = e2e::control_font(*program, control);
    ASSERT_TRUE(font.has_value());
    ASSERT_TRUE(font->has_font) << "the control draws with the system font";
    EXPECT_EQ(font->is_default_gui_font, c.stock_gui_font);
    if (c.stock_gui_font) continue;
    EXPECT_EQ(std::wstring(font->font.lfFaceName), L"") << "no face: the system picks it";
    EXPECT_EQ(font->font.lfHeight, -20);
    EXPECT_EQ(font->font.lfWeight, FW_NORMAL);
  }
}

// A second click brings the open window back (restored from the taskbar) and
// neither creates another nor composes its texts again.
// The About window's buttons and labels are the system's classic controls,
// drawn without a visual style.
TEST_F(AboutTest, NoControlHasAVisualStyle) {
  HWND about = open_about();
  ASSERT_NE(about, nullptr);
  const std::vector<HWND> controls = e2e::descendants(about);
  ASSERT_FALSE(controls.empty());
  for (HWND control : controls) {
    SCOPED_TRACE(e2e::window_text(control));
    EXPECT_TRUE(e2e::classic_control(control));
  }
}

TEST_F(AboutTest, SecondClickRestoresTheOpenWindowInsteadOfAnotherOne) {
  HWND about = open_about();
  ASSERT_NE(about, nullptr);
  SetWindowTextW(about, L"marker");
  ShowWindowAsync(about, SW_MINIMIZE);
  ASSERT_TRUE(e2e::wait_until([&] { return IsIconic(about) != FALSE; }));

  e2e::click(e2e::find_control(main, 按钮_关于));
  ASSERT_TRUE(e2e::wait_until([&] { return IsIconic(about) == FALSE; }));
  EXPECT_EQ(about_count(), 1u);
  EXPECT_TRUE(IsWindowVisible(about));
  EXPECT_EQ(e2e::window_text(about), "marker");
}

// 确定 and then 按钮_关于 clicked before the program has carried out the close
// (both clicks queued together): the About button finds the window about to
// go, destroys it at once and opens a new one, composed and centred; the
// close that was asked for finds nothing left to do.
TEST_F(AboutTest, OkThenAboutBeforeTheCloseIsCarriedOutLeavesOneFreshWindow) {
  const std::wstring log = e2e::fresh_temp_path("shell-open");
  program.reset();
  start({{"QUELMO_SEAM_SHELL_LOG", e2e::narrow(log)}});
  HWND old = open_about();
  ASSERT_NE(old, nullptr);
  // Marked and moved, so that the window still open afterwards shows whether
  // it was composed and placed afresh.
  SetWindowTextW(old, L"marker");
  SetWindowPos(old, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  ASSERT_TRUE(
      e2e::wait_until([&] { return e2e::window_rect(old).left == 5 && e2e::window_rect(old).top == 5; }));

  HWND ok = e2e::find_control(old, 确定);
  HWND about_button = e2e::find_control(main, 按钮_关于);
  ASSERT_TRUE(e2e::while_main_thread_held(*program, [&] {
    e2e::click(ok);
    e2e::click(about_button);
  }));

  HWND fresh = nullptr;
  const bool one_fresh = e2e::wait_until([&] {
    const std::vector<HWND> open = e2e::top_windows(*program, kAboutWindowClass);
    if (open.size() != 1 || IsWindow(old)) return false;
    fresh = open.front();
    return e2e::window_text(fresh) == kCaption;
  });
  ASSERT_TRUE(one_fresh) << about_count() << " About window(s) open; the clicked one "
                         << (IsWindow(old) ? "is still there" : "is gone");
  expect_about_as_composed(fresh);

  // A blog click is taken after everything the two clicks queued, so by the
  // time its line is written nothing more of theirs is pending.
  const Text line = Text(about_contact::kBlogAddress) + "\r\n";
  e2e::click(e2e::find_control(fresh, 打开博客));
  ASSERT_TRUE(e2e::wait_until([&] { return e2e::read_file(log) == line; }));
  EXPECT_EQ(about_count(), 1u);
  EXPECT_TRUE(IsWindow(fresh));
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(program->running());

  // The program holds the new window as its About window: another click of the
  // About button brings it back instead of opening a second one.
  e2e::click(about_button);
  e2e::click(e2e::find_control(fresh, 打开博客));
  ASSERT_TRUE(e2e::wait_until([&] { return e2e::read_file(log) == line + line; }));
  EXPECT_EQ(about_count(), 1u);
  EXPECT_EQ(e2e::window_text(fresh), kCaption);
  DeleteFileW(log.c_str());
}

enum class CloseBy { ok_button, esc_key, close_box };

class AboutCloseTest : public AboutTest, public ::testing::WithParamInterface<CloseBy> {};

TEST_P(AboutCloseTest, ClosesAndReopensWithTheSameTexts) {
  HWND about = open_about();
  ASSERT_NE(about, nullptr);
  switch (GetParam()) {
    case CloseBy::ok_button:
      e2e::click(e2e::find_control(about, 确定));
      break;
    case CloseBy::esc_key:
      ASSERT_TRUE(e2e::wait_until([&] {
        HWND focus = e2e::focused_control(*program);
        return focus != nullptr && GetAncestor(focus, GA_ROOT) == about;
      })) << "the About window has the keyboard focus";
      e2e::press_key(*program, VK_ESCAPE);
      break;
    case CloseBy::close_box:
      PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
  }
  ASSERT_TRUE(e2e::wait_gone(about));
  EXPECT_TRUE(program->running());
  EXPECT_TRUE(IsWindow(main));

  HWND again = open_about();
  ASSERT_NE(again, nullptr);
  expect_about_as_composed(again);
  EXPECT_EQ(about_count(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Ways, AboutCloseTest,
                         ::testing::Values(CloseBy::ok_button, CloseBy::esc_key, CloseBy::close_box));

TEST_F(AboutTest, EnterInATextBoxOpensIt) {
  ASSERT_TRUE(e2e::set_focus(*program, e2e::find_control(main, 编辑框_计算机信息)));
  e2e::press_key(*program, VK_RETURN);
  HWND about = e2e::wait_about_window(*program);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(e2e::window_text(about), kCaption);
}

TEST_F(AboutTest, SpaceOnTheFocusedAboutButtonOpensIt) {
  ASSERT_TRUE(e2e::set_focus(*program, e2e::find_control(main, 按钮_关于)));
  e2e::press_key(*program, VK_SPACE);
  HWND about = e2e::wait_about_window(*program);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(e2e::window_text(about), kCaption);
}

// The main window can go first: the process lives on until the About window
// is closed too, and then ends normally.
enum class MainClosedBy { exit_button, esc_key };

class AboutOutlivesMainTest : public AboutTest, public ::testing::WithParamInterface<MainClosedBy> {};

TEST_P(AboutOutlivesMainTest, ProcessEndsWhenTheLastWindowCloses) {
  const std::wstring log = e2e::fresh_temp_path("shell-open");
  program.reset();
  start({{"QUELMO_SEAM_SHELL_LOG", e2e::narrow(log)}});
  HWND about = open_about();
  ASSERT_NE(about, nullptr);
  if (GetParam() == MainClosedBy::exit_button) {
    e2e::click(e2e::find_control(main, 按钮_退出));
  } else {
    ASSERT_TRUE(e2e::set_focus(*program, e2e::find_control(main, 编辑框_性能信息)));
    e2e::press_key(*program, VK_ESCAPE);
  }
  ASSERT_TRUE(e2e::wait_gone(main));
  // The message loop still runs with only the About window open: two clicks,
  // each taken after the one before had been handled (a quit message would
  // have ended the loop in between).
  const Text line = Text(about_contact::kBlogAddress) + "\r\n";
  HWND blog = e2e::find_control(about, 打开博客);
  // Under Wine without a window manager, a click posted while the About
  // window is being activated after the main window went can lose the
  // button's capture and with it the click; a click that left no line is
  // clicked again (one that did is never repeated).
  auto click_for = [&](const Text& expected) {
    return e2e::wait_until([&] {
      if (e2e::read_file(log) == expected) return true;
      e2e::click(blog);
      return e2e::wait_until([&] { return e2e::read_file(log) == expected; }, 3000);
    });
  };
  ASSERT_TRUE(click_for(line));
  ASSERT_TRUE(click_for(line + line));
  EXPECT_TRUE(program->running());
  EXPECT_EQ(e2e::window_text(about), kCaption);

  e2e::click(e2e::find_control(about, 确定));
  ASSERT_TRUE(e2e::wait_exit(*program));
  EXPECT_EQ(program->exit_code(), 0u);
  DeleteFileW(log.c_str());
}

INSTANTIATE_TEST_SUITE_P(Ways, AboutOutlivesMainTest,
                         ::testing::Values(MainClosedBy::exit_button, MainClosedBy::esc_key));

TEST_F(AboutTest, BlogButtonOpensTheAddressAndTheWindowStays) {
  const std::wstring log = e2e::fresh_temp_path("shell-open");
  program.reset();
  start({{"QUELMO_SEAM_SHELL_LOG", e2e::narrow(log)}});
  HWND about = open_about();
  ASSERT_NE(about, nullptr);
  e2e::click(e2e::find_control(about, 打开博客));
  const Text expected = Text(about_contact::kBlogAddress) + "\r\n";
  EXPECT_TRUE(e2e::wait_until([&] { return e2e::read_file(log) == expected; })) << e2e::read_file(log);
  EXPECT_TRUE(IsWindow(about));
  EXPECT_TRUE(IsWindowVisible(about));
  EXPECT_EQ(about_count(), 1u);
  DeleteFileW(log.c_str());
}

}  // namespace
