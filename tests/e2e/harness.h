// End-to-end test harness: starts the program under Wine (in the test's own
// prefix and display), finds its windows, clicks, types, answers its message
// boxes, reads its boxes and the clipboard, and waits for it to end.
//
// Every wait polls with a deadline (default kTimeoutMs) and reports failure
// instead of hanging. Texts (Text) are code page 936 bytes, as in the program.
//
//   auto program = e2e::start_program();                 // quelmo-eval-seams.exe
//   auto program = e2e::start_program({{"QUELMO_SEAM_LOOPS", "1,1,1,10"}});
//   auto program = e2e::start_program({}, e2e::Variant::plain);  // quelmo-eval.exe
//   HWND main = e2e::wait_main_window(*program);         // nullptr on time-out
//   HWND box  = e2e::find_control(main, ui_ids::编辑框_性能信息);
//   e2e::click(e2e::find_control(main, ui_ids::按钮_开始评估));
//   auto box = e2e::wait_message_box(*program);          // std::optional<MessageBoxSeen>
//   EXPECT_EQ(box->caption, "开始评估");
//   e2e::answer_message_box(box->hwnd, IDYES);
//   EXPECT_TRUE(e2e::wait_until([&] { return e2e::window_text(box).find("评分") != Text::npos; }, 60000));
//   e2e::press_key(*program, VK_ESCAPE);                 // to the focused control
//   EXPECT_TRUE(e2e::wait_exit(*program));  EXPECT_EQ(program->exit_code(), 0u);
//
// Write a test: add `quelmo_add_e2e_test(e2e_<name> <name>_test.cpp)` to
// tests/e2e/CMakeLists.txt. Each file is its own executable; it links this
// harness and may include ui/control_ids.h (window classes and control ids).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "text/text.h"

namespace e2e {

// Generous: a deadline only matters when something is wrong, and a loaded
// machine can be slow.
inline constexpr int kTimeoutMs = 60000;

enum class Variant { seams, plain };  // quelmo-eval-seams.exe, quelmo-eval.exe

// Environment variables for the program, e.g. {{"QUELMO_SEAM_LOOPS", "1,1,1,10"}}.
using Environment = std::vector<std::pair<std::string, std::string>>;

// A running copy of the program. Destroying it ends the process if it still
// runs, and any process it started and left running (the COM server of a WMI
// query, for one).
class Program {
 public:
  Program(HANDLE process, DWORD pid, DWORD main_thread_id);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD pid() const { return pid_; }
  DWORD main_thread_id() const { return main_thread_id_; }
  HANDLE process() const { return process_; }
  bool running() const;
  // The exit code once the process has ended (STILL_ACTIVE before). A fatal
  // stop's -1 reads as 0xFFFFFFFF.
  DWORD exit_code() const;

 private:
  HANDLE process_;
  DWORD pid_;
  DWORD main_thread_id_;
};

// Starts any Windows executable with a command line (after the program name)
// and `environment` added to this process's environment, QUELMO_SEAM_*
// variables of this process left out. nullptr (and a test failure) when it
// cannot be started.
std::unique_ptr<Program> start_executable(const std::wstring& path, const std::wstring& arguments,
                                          const Environment& environment = {});

// Starts the program with `environment` added to this process's environment
// (QUELMO_SEAM_* variables of this process are not passed on). Fails the
// calling test (ADD_FAILURE) and returns nullptr when it cannot be started.
std::unique_ptr<Program> start_program(const Environment& environment = {}, Variant variant = Variant::seams);

// The Windows path of a program variant in the build folder.
std::wstring program_path(Variant variant);

// A path in the temporary folder that does not exist yet (for seam logs).
std::wstring fresh_temp_path(const char* stem);
// The whole content of a file as bytes ("" when missing).
Text read_file(const std::wstring& path);

// Polls `condition` every few milliseconds until it holds or the time is up.
bool wait_until(const std::function<bool()>& condition, int timeout_ms = kTimeoutMs);

// Visible top-level windows of the program with this class (and, when given,
// this exact title), in no particular order.
std::vector<HWND> top_windows(const Program& program, const wchar_t* window_class,
                              const Text* title = nullptr);
// MainWindow / AboutWindow once visible; nullptr on time-out.
HWND wait_main_window(const Program& program, int timeout_ms = kTimeoutMs);
HWND wait_about_window(const Program& program, int timeout_ms = kTimeoutMs);

// The control with this id anywhere below `window` (the boxes are inside
// their group boxes); nullptr if none.
HWND find_control(HWND window, int id);

// Every descendant window of `window` (controls, and controls inside them).
std::vector<HWND> descendants(HWND window);

// Whether `hwnd` is one of the system's classic controls (of the class this
// test program gets for its class name), not one of the common controls 6
// classes that draw with the visual style.
bool classic_control(HWND hwnd);

// The window's text (WM_GETTEXT, converted to code page 936); "" on failure.
Text window_text(HWND hwnd);
// Outer rectangle in screen coordinates; a control's rectangle relative to
// its parent's client area.
RECT window_rect(HWND hwnd);
RECT rect_in_parent(HWND control);
LONG style_of(HWND hwnd);
LONG ex_style_of(HWND hwnd);
std::wstring class_of(HWND hwnd);

// The font a control of the program draws its text with (what WM_GETFONT gives
// inside the program), read there by the font probe library (font_probe.h).
// nullopt, and a test failure, when it cannot be read.
struct ControlFont {
  bool has_font = false;             // false: the control uses the system font
  bool is_default_gui_font = false;  // it is the stock DEFAULT_GUI_FONT
  LOGFONTW font = {};                // as GetObjectW describes it
};
std::optional<ControlFont> control_font(const Program& program, HWND control, int timeout_ms = kTimeoutMs);

// Posts BM_CLICK to a button.
void click(HWND button);
// Holds the program's main thread (suspended, and stopped for certain) while
// `post` runs, then lets it go: whatever `post` queues is all waiting when the
// thread takes its next message, as when the user acts twice in a row while
// the program is busy. False (and nothing posted) when it cannot be held.
bool while_main_thread_held(const Program& program, const std::function<void()>& post);
// The control that has the keyboard focus in the program's main thread
// (nullptr if none).
HWND focused_control(const Program& program);
// Posts a key press (WM_KEYDOWN then WM_KEYUP) to the focused control, or to
// the active window when no control has the focus. VK_ESCAPE, VK_RETURN,
// VK_TAB, VK_SPACE, ...
void press_key(const Program& program, UINT virtual_key);
// Gives `control` the keyboard focus (posted WM_LBUTTONDOWN/UP would click; this
// asks the program's thread to move the focus without side effects).
bool set_focus(const Program& program, HWND control, int timeout_ms = kTimeoutMs);

// A message box of the program (class #32770).
struct MessageBoxSeen {
  HWND hwnd = nullptr;
  Text caption;
  Text text;
};
std::optional<MessageBoxSeen> wait_message_box(const Program& program, int timeout_ms = kTimeoutMs);
// Whether a message box of the program is open now.
bool message_box_open(const Program& program);
// The standard icon the box shows (IDI_WARNING, IDI_INFORMATION, IDI_ERROR,
// IDI_QUESTION), nullptr when none or another.
LPCWSTR message_box_icon(HWND box);
// The ids of the box's visible buttons, in order (IDOK, IDYES, ...).
std::vector<int> message_box_buttons(HWND box);
// Presses the box's button with this id (IDOK, IDCANCEL, IDYES, IDNO, ...).
void answer_message_box(HWND box, int button_id);

// Waits until the window no longer exists; false on time-out.
bool wait_gone(HWND hwnd, int timeout_ms = kTimeoutMs);

// Waits until the program has ended; false on time-out.
bool wait_exit(Program& program, int timeout_ms = kTimeoutMs);

// The clipboard: CF_TEXT bytes and CF_UNICODETEXT; nullopt when the format is
// not there or the clipboard cannot be opened in time.
std::optional<Text> clipboard_text();
std::optional<std::wstring> clipboard_unicode_text();
// Empties the clipboard (before a test that expects the program to fill it).
bool clear_clipboard();

// Code page 936 <-> UTF-16, for comparisons in tests.
std::wstring wide(const Text& text);
Text narrow(const std::wstring& text);

}  // namespace e2e
