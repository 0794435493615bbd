// The main window as the user meets it: its frame, its controls, the keys that
// end the program, and the fatal stop of a missing kernel32 function.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "harness.h"
#include "ui/control_ids.h"

using namespace ui_ids;

namespace {

struct ControlCase {
  int id;
  int parent_id;  // 0: the window itself
  int left, top, width, height;
  const wchar_t* window_class;
  const char* text;
};

const ControlCase kControls[] = {
    {按钮_关于, 0, 254, 392, 100, 30, L"BUTTON", "关于"},
    {按钮_退出, 0, 638, 391, 100, 30, L"BUTTON", "退出"},
    {分组框_运算性能信息, 0, 380, 51, 360, 330, L"BUTTON", "运算性能信息"},
    {编辑框_性能信息, 分组框_运算性能信息, 16, 21, 330, 295, L"EDIT", ""},
    {按钮_复制到剪贴板, 0, 515, 391, 100, 30, L"BUTTON", "复制到剪贴板"},
    {编辑框_计算机信息, 分组框_计算机信息, 16, 21, 330, 295, L"EDIT", ""},
    {按钮_开始评估, 0, 387, 391, 100, 30, L"BUTTON", "开始评估"},
    {标签_主标题, 0, -4, 3, 756, 40, L"STATIC", "Quelmo计算机性能评估工具 "},
    {分组框_计算机信息, 0, 10, 50, 360, 330, L"BUTTON", "计算机信息"},
};

// The font of each control: all but the title label share one.
struct FontCase {
  int id;
  LONG height;
};

const FontCase kFonts[] = {
    {按钮_关于, -12},       {按钮_退出, -12},         {分组框_运算性能信息, -12},
    {编辑框_性能信息, -12}, {按钮_复制到剪贴板, -12}, {编辑框_计算机信息, -12},
    {按钮_开始评估, -12},   {标签_主标题, -16},       {分组框_计算机信息, -12},
};

std::wstring upper(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(towupper(c));
  return s;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program = e2e::start_program();
    ASSERT_NE(program, nullptr);
    main = e2e::wait_main_window(*program);
    ASSERT_NE(main, nullptr) << "MainWindow did not appear";
  }
  std::unique_ptr<e2e::Program> program;
  HWND main = nullptr;
};

TEST_F(MainWindowTest, FrameIsCentredFixedAndWithoutCaptionButtons) {
  EXPECT_EQ(e2e::window_text(main), "Quelmo计算机性能评估工具");
  const RECT r = e2e::window_rect(main);
  EXPECT_EQ(r.right - r.left, 756);
  EXPECT_EQ(r.bottom - r.top, 466);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 756) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 466) / 2);
  const LONG style = e2e::style_of(main);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_EQ(style & WS_CHILD, 0);
  const LONG ex_style = e2e::ex_style_of(main);
  EXPECT_NE(ex_style & WS_EX_APPWINDOW, 0) << "own taskbar button";
  EXPECT_EQ(ex_style & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);
}

// Buttons with the heavier default-button frame, sunken text boxes and black
// group captions are the classic controls; a visual style would draw them
// otherwise. Every control is the system's classic one.
TEST_F(MainWindowTest, NoControlHasAVisualStyle) {
  const std::vector<HWND> controls = e2e::descendants(main);
  ASSERT_EQ(controls.size(), 9u);
  for (HWND control : controls) {
    SCOPED_TRACE(e2e::window_text(control));
    EXPECT_TRUE(e2e::classic_control(control));
  }
}

TEST_F(MainWindowTest, ControlsSitWhereTheTemplatePutsThem) {
  for (const ControlCase& c : kControls) {
    SCOPED_TRACE(e2e::narrow(L"control ") + std::to_string(c.id) + " " + c.text);
    HWND control = e2e::find_control(main, c.id);
    ASSERT_NE(control, nullptr);
    HWND expected_parent = c.parent_id == 0 ? main : e2e::find_control(main, c.parent_id);
    EXPECT_EQ(GetParent(control), expected_parent);
    EXPECT_EQ(upper(e2e::class_of(control)), c.window_class);
    const RECT r = e2e::rect_in_parent(control);
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.top, c.top);
    EXPECT_EQ(r.right - r.left, c.width);
    EXPECT_EQ(r.bottom - r.top, c.height);
    EXPECT_EQ(e2e::window_text(control), c.text);
    EXPECT_TRUE(IsWindowVisible(control));
    EXPECT_TRUE(IsWindowEnabled(control));
  }
}

// Read inside the program: face, character height, weight, the three effects,
// character set, precisions, quality and pitch, as the window created them.
TEST_F(MainWindowTest, ControlsUseTheirLogicalFonts) {
  for (const FontCase& c : kFonts) {
    SCOPED_TRACE("control " + std::to_string(c.id));
    HWND control = e2e::find_control(main, c.id);
    ASSERT_NE(control, nullptr);
    const std::optional<e2e::ControlFont> font = e2e::control_font(*program, control);
    ASSERT_TRUE(font.has_value());
    ASSERT_TRUE(font->has_font) << "the control draws with the system font";
    EXPECT_FALSE(font->is_default_gui_font);
    const LOGFONTW& f = font->font;
    EXPECT_EQ(std::wstring(f.lfFaceName), L"微软雅黑");
    EXPECT_EQ(f.lfHeight, c.height);
    EXPECT_EQ(f.lfWidth, 0);
    EXPECT_EQ(f.lfWeight, FW_NORMAL);
    EXPECT_EQ(f.lfItalic, 0);
    EXPECT_EQ(f.lfUnderline, 0);
    EXPECT_EQ(f.lfStrikeOut, 0);
    EXPECT_EQ(f.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(f.lfOutPrecision, OUT_DEFAULT_PRECIS);
    EXPECT_EQ(f.lfClipPrecision, CLIP_DEFAULT_PRECIS);
    EXPECT_EQ(f.lfQuality, PROOF_QUALITY);
    EXPECT_EQ(f.lfPitchAndFamily, DEFAULT_PITCH);
  }
}

TEST_F(MainWindowTest, BoxesAreEmptyReadOnlyMultiLineWithVerticalScrolling) {
  for (int id : {编辑框_计算机信息, 编辑框_性能信息}) {
    HWND box = e2e::find_control(main, id);
    ASSERT_NE(box, nullptr);
    const LONG style = e2e::style_of(box);
    EXPECT_NE(style & ES_MULTILINE, 0);
    EXPECT_NE(style & ES_READONLY, 0);
    EXPECT_NE(style & WS_VSCROLL, 0);
    EXPECT_NE(style & ES_AUTOVSCROLL, 0);
    EXPECT_EQ(style & (WS_HSCROLL | ES_AUTOHSCROLL), 0) << "lines wrap";
    EXPECT_EQ(style & ES_NOHIDESEL, 0);
    EXPECT_NE(e2e::ex_style_of(box) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(e2e::window_text(box), "");
  }
  for (int id : {按钮_关于, 按钮_退出, 按钮_复制到剪贴板, 按钮_开始评估}) {
    EXPECT_EQ(e2e::style_of(e2e::find_control(main, id)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  }
}

TEST_F(MainWindowTest, TabVisitsTheSixFocusableControls) {
  std::vector<HWND> focusable;
  for (int id :
       {编辑框_计算机信息, 编辑框_性能信息, 按钮_关于, 按钮_开始评估, 按钮_复制到剪贴板, 按钮_退出}) {
    focusable.push_back(e2e::find_control(main, id));
  }
  auto focus_in_list = [&] {
    HWND focus = e2e::focused_control(*program);
    return std::find(focusable.begin(), focusable.end(), focus) != focusable.end();
  };
  ASSERT_TRUE(e2e::wait_until(focus_in_list)) << "a control has the focus at start";
  std::vector<HWND> seen;
  for (int i = 0; i < 6; ++i) {
    HWND before = e2e::focused_control(*program);
    seen.push_back(before);
    e2e::press_key(*program, VK_TAB);
    ASSERT_TRUE(e2e::wait_until([&] { return e2e::focused_control(*program) != before && focus_in_list(); }));
  }
  EXPECT_EQ(e2e::focused_control(*program), seen.front()) << "six presses go round once";
  std::sort(seen.begin(), seen.end());
  std::sort(focusable.begin(), focusable.end());
  EXPECT_EQ(seen, focusable);
}

// Esc closes the window without the Exit button's handler; with no other window
// open the program ends normally.
TEST_F(MainWindowTest, EscInATextBoxEndsTheProgramWithCodeZero) {
  HWND box = e2e::find_control(main, 编辑框_性能信息);
  ASSERT_TRUE(e2e::set_focus(*program, box));
  e2e::press_key(*program, VK_ESCAPE);
  ASSERT_TRUE(e2e::wait_exit(*program));
  EXPECT_EQ(program->exit_code(), 0u);
}

TEST_F(MainWindowTest, ExitButtonEndsTheProgramWithCodeZero) {
  e2e::click(e2e::find_control(main, 按钮_退出));
  ASSERT_TRUE(e2e::wait_exit(*program));
  EXPECT_EQ(program->exit_code(), 0u);
}

// Enter clicks the focused button: on 按钮_开始评估 that is the confirmation.
TEST_F(MainWindowTest, EnterOnTheStartButtonAsksForConfirmation) {
  ASSERT_TRUE(e2e::set_focus(*program, e2e::find_control(main, 按钮_开始评估)));
  e2e::press_key(*program, VK_RETURN);
  auto confirm = e2e::wait_message_box(*program);
  ASSERT_TRUE(confirm.has_value());
  EXPECT_EQ(confirm->caption, "开始评估");
  e2e::answer_message_box(confirm->hwnd, IDNO);
  ASSERT_TRUE(e2e::wait_gone(confirm->hwnd));
  EXPECT_EQ(e2e::window_text(e2e::find_control(main, 编辑框_计算机信息)), "");
  EXPECT_TRUE(e2e::top_windows(*program, L"QuelmoAboutWindow").empty());
}

TEST(ShippedProgram, StartsAndEndsWithEsc) {
  auto program = e2e::start_program({}, e2e::Variant::plain);
  ASSERT_NE(program, nullptr);
  HWND main = e2e::wait_main_window(*program);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(e2e::window_text(main), "Quelmo计算机性能评估工具");
  ASSERT_TRUE(e2e::wait_until([&] { return e2e::focused_control(*program) != nullptr; }));
  e2e::press_key(*program, VK_ESCAPE);
  ASSERT_TRUE(e2e::wait_exit(*program));
  EXPECT_EQ(program->exit_code(), 0u);
}

// A kernel32 function the table cannot find stops the program when an
// evaluation first needs it: a message naming the library and the function,
// then exit code -1 without any clean-up.
TEST(FatalStop, MissingKernel32FunctionEndsWithMinusOne) {
  auto program =
      e2e::start_program({{"QUELMO_SEAM_MISSING_K32", "IsWow64Process"}, {"QUELMO_SEAM_LOOPS", "1,1,1,10"}});
  ASSERT_NE(program, nullptr);
  HWND main = e2e::wait_main_window(*program);
  ASSERT_NE(main, nullptr);
  e2e::click(e2e::find_control(main, 按钮_开始评估));
  auto confirm = e2e::wait_message_box(*program);
  ASSERT_TRUE(confirm.has_value()) << "no confirmation";
  EXPECT_EQ(confirm->caption, "开始评估");
  e2e::answer_message_box(confirm->hwnd, IDYES);
  ASSERT_TRUE(e2e::wait_gone(confirm->hwnd));

  auto fatal = e2e::wait_message_box(*program, 60000);
  ASSERT_TRUE(fatal.has_value()) << "no fatal message";
  EXPECT_NE(fatal->text.find("kernel32.dll"), Text::npos) << fatal->text;
  EXPECT_NE(fatal->text.find("IsWow64Process"), Text::npos) << fatal->text;
  EXPECT_TRUE(program->running()) << "the process ends only once the message is closed";
  e2e::answer_message_box(fatal->hwnd, IDOK);
  ASSERT_TRUE(e2e::wait_exit(*program));
  EXPECT_EQ(program->exit_code(), 0xFFFFFFFFu);
}

// A main window that cannot be created (here: its first control's class does
// not exist) is no normal end: the fatal stop says what failed and the
// process ends with exit code -1.
TEST(FatalStop, MainWindowNotCreatedEndsWithMinusOne) {
  auto program = e2e::start_program({{"QUELMO_SEAM_FAIL_MAIN_WINDOW", "1"}});
  ASSERT_NE(program, nullptr);
  auto fatal = e2e::wait_message_box(*program);
  ASSERT_TRUE(fatal.has_value()) << "no fatal message";
  EXPECT_EQ(fatal->caption, "错误");
  EXPECT_NE(fatal->text.find("无法创建程序主窗口"), Text::npos) << fatal->text;
  EXPECT_NE(fatal->text.find("控件“关于”创建失败"), Text::npos) << fatal->text;
  // The error given for the missing class: ERROR_CANNOT_FIND_WND_CLASS on
  // Windows, ERROR_CLASS_DOES_NOT_EXIST under Wine.
  EXPECT_TRUE(fatal->text.find("错误代码 1407）") != Text::npos ||
              fatal->text.find("错误代码 1411）") != Text::npos)
      << fatal->text;
  EXPECT_TRUE(e2e::top_windows(*program, L"QuelmoMainWindow").empty());
  EXPECT_TRUE(program->running()) << "the process ends only once the message is closed";
  e2e::answer_message_box(fatal->hwnd, IDOK);
  ASSERT_TRUE(e2e::wait_exit(*program));
  EXPECT_EQ(program->exit_code(), 0xFFFFFFFFu);
}

}  // namespace
