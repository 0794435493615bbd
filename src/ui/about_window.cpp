// AboutWindow: the title, version and maker of the program, the maker's
// contact details and the button that opens the maker's web page.
#include <windows.h>
#include <shellapi.h>

#include "app/globals.h"
#include "app/seams.h"
#include "platform/win/fatal.h"
#include "platform/win/wide.h"
#include "ui/about_window.h"
#include "ui/control_ids.h"
#include "ui/window_internal.h"

using namespace ui_ids;

namespace {

constexpr int kWidth = 378;
constexpr int kHeight = 224;

// What the About button hands to the window.
const char kTitle[] = "Quelmo计算机性能评估工具";
const char kVersion[] = "1.0";
const char kCompany[] = "Quelmo Corporation";
const char kYears[] = "2011-2026";

Text contact_text() {
  return Text("E-Mail: ") + about_contact::kEmail + "\r\nQQ: " + about_contact::kMessenger +
         "\r\n前进！同志，从一个胜利走向另一个胜利！";
}

struct ControlSpec {
  int id;
  const wchar_t* window_class;
  DWORD style;
  int left, top, width, height;
  const char* text;  // nullptr: the contact text
};

constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kButtonStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_TEXT;

const ControlSpec kControls[] = {
    {Email, L"STATIC", kLabelStyle, 16, 109, 348, 36, nullptr},
    {打开博客, L"BUTTON", kButtonStyle, 149, 160, 88, 26, "Quelmo博客"},
    {关于_内容, L"STATIC", kLabelStyle, 16, 47, 344, 57, "标签"},
    {确定, L"BUTTON", kButtonStyle, 266, 160, 88, 26, "确定"},
    {关于窗口主标签, L"STATIC", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0,
     4, 376, 40, "关于"},
};
constexpr int kControlCount = sizeof(kControls) / sizeof(kControls[0]);

struct AboutState {
  HWND window = nullptr;
  HWND controls[kControlCount] = {};
  HFONT title_font = nullptr;
  HWND saved_focus = nullptr;
};
AboutState g_about;

HWND control(int id) {
  for (int i = 0; i < kControlCount; ++i) {
    if (kControls[i].id == id) return g_about.controls[i];
  }
  return nullptr;
}

void set_text(HWND hwnd, const Text& text) { SetWindowTextW(hwnd, to_wide(text).c_str()); }

bool create_controls(HWND window) {
  // Height 20, normal weight, no face: the system picks the face.
  g_about.title_font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH, L"");
  HFONT gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (int i = 0; i < kControlCount; ++i) {
    const ControlSpec& spec = kControls[i];
    const Text text = spec.text != nullptr ? Text(spec.text) : contact_text();
    HWND created = CreateWindowExW(0, spec.window_class, to_wide(text).c_str(), spec.style, spec.left,
                                   spec.top, spec.width, spec.height, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance,
                                   nullptr);
    if (created == nullptr) return false;
    g_about.controls[i] = created;
    SendMessageW(created, WM_SETFONT,
                 reinterpret_cast<WPARAM>(spec.id == 关于窗口主标签 ? g_about.title_font : gui_font),
                 FALSE);
  }
  g_about.saved_focus = control(确定);
  return true;
}

LRESULT about_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      g_about.window = hwnd;
      return create_controls(hwnd) ? 0 : -1;
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) {
        if (LOWORD(wparam) == 打开博客) open_blog();
        if (LOWORD(wparam) == 确定) close_about();
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_ACTIVATE:
      // The focus goes straight back to the button that had it.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd, focus)) g_about.saved_focus = focus;
      } else if (HIWORD(wparam) == 0 && g_about.saved_focus != nullptr) {
        SetFocus(g_about.saved_focus);
      }
      return 0;
    case WM_SETFOCUS:
      if (g_about.saved_focus != nullptr) SetFocus(g_about.saved_focus);
      return 0;
    case WM_CLOSE:  // the close box
      close_about();
      return 0;
    case kDestroyRequest:
      DestroyWindow(hwnd);
      return 0;
    case WM_NCDESTROY: {
      LRESULT result = DefWindowProcW(hwnd, message, wparam, lparam);
      DeleteObject(g_about.title_font);
      g_about = AboutState{};
      top_window_destroyed(Window::about);
      return result;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK about_procedure_guarded(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return guard_fatal([&] { return about_procedure(hwnd, message, wparam, lparam); });
}

}  // namespace

HWND create_about_window() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!register_window_class(kAboutWindowClass, about_procedure_guarded)) return nullptr;
  const POINT at = centred_position(kWidth, kHeight);
  // Caption with the system menu and close box; no minimise or maximise box.
  return CreateWindowExW(WS_EX_APPWINDOW, kAboutWindowClass, to_wide("关于").c_str(),
                         WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, at.x, at.y, kWidth, kHeight,
                         nullptr, nullptr, instance, nullptr);
}

bool about_window_key(const MSG& msg) {
  if (g_about.window == nullptr) return false;
  if (msg.wParam == VK_ESCAPE) {
    close_about();
    return true;
  }
  // Neither button is a default button: Enter clicks only a focused button.
  const HWND buttons[] = {control(打开博客), control(确定)};
  const KeyTable keys = {buttons, 2, buttons, 2, nullptr, 0};
  return handle_navigation_key(keys, msg);
}

void show_about() {
  about_info.title = Text(kTitle);
  about_info.version = Text(kVersion);
  about_info.company = Text(kCompany);
  about_info.years = Text(kYears);
  load_window(Window::about);
}

void about_window_created() {
  HWND window = g_about.window;
  if (window == nullptr) return;
  set_text(window, "关于 " + about_info.title);
  set_text(control(关于窗口主标签), about_info.title + " " + about_info.version);
  set_text(control(关于_内容), "版权所有 (C) " + about_info.years + " " + about_info.company);
}

void open_blog() {
  const Text address = about_contact::kBlogAddress;
  if (seams::intercept_shell_open(address)) return;
  // The outcome is not shown: without a browser nothing happens.
  ShellExecuteW(nullptr, L"open", to_wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void close_about() { destroy_window(Window::about); }
