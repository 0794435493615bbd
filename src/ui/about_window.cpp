// AboutWindow: the title, version and maker of the program, the maker's
// contact details and the button that opens the maker's web page.
#include <windows.h>
#include <shellapi.h>

#include "platform/seams.h"
#include "platform/win/fatal.h"
#include "platform/win/wide.h"
#include "ui/about_window.h"
#include "ui/control_ids.h"
#include "ui/scaffold.h"
#include "ui/window.h"

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

constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kButtonStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_TEXT;

const ControlSpec kControls[] = {
    {Email, L"STATIC", kLabelStyle, 0, 0, 16, 109, 348, 36, nullptr},  // the contact text
    {打开博客, L"BUTTON", kButtonStyle, 0, 0, 149, 160, 88, 26, "Quelmo博客"},
    {关于_内容, L"STATIC", kLabelStyle, 0, 0, 16, 47, 344, 57, "标签"},
    {确定, L"BUTTON", kButtonStyle, 0, 0, 266, 160, 88, 26, "确定"},
    {关于窗口主标签, L"STATIC", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0, 0, 4,
     376, 40, "关于"},
};
constexpr int kControlCount = sizeof(kControls) / sizeof(kControls[0]);

HFONT g_title_font = nullptr;
WindowState g_state;

HWND control(int id) { return ::control(about_window(), id); }

void set_text(HWND hwnd, const Text& text) { SetWindowTextW(hwnd, to_wide(text).c_str()); }

// The window is composed from the texts it is handed.
bool created(HWND window, const void* creation_data) {
  // Height 20, normal weight, no face: the system picks the face.
  g_title_font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"");
  HFONT gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (int i = 0; i < kControlCount; ++i) {
    SendMessageW(g_state.controls[i], WM_SETFONT,
                 reinterpret_cast<WPARAM>(kControls[i].id == 关于窗口主标签 ? g_title_font : gui_font),
                 FALSE);
  }
  set_text(control(Email), contact_text());
  if (creation_data != nullptr) {
    const AboutInfo& info = *static_cast<const AboutInfo*>(creation_data);
    set_text(window, "关于 " + info.title);
    set_text(control(关于窗口主标签), info.title + " " + info.version);
    set_text(control(关于_内容), "版权所有 (C) " + info.years + " " + info.company);
  }
  return true;
}

bool handle(HWND, UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) {
        if (LOWORD(wparam) == 打开博客) open_blog();
        if (LOWORD(wparam) == 确定) close_about();
      }
      return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      result = black_on(dc, GetSysColor(COLOR_BTNFACE), GetSysColorBrush(COLOR_BTNFACE));
      SetBkMode(dc, TRANSPARENT);
      return true;
    }
    case WM_CLOSE:  // the close box
      close_about();
      return true;
    default:
      return false;
  }
}

void destroyed() {
  DeleteObject(g_title_font);
  g_title_font = nullptr;
}

bool key(const MSG& msg) {
  if (g_state.hwnd.load() == nullptr) return false;
  if (msg.wParam == VK_ESCAPE) {
    close_about();
    return true;
  }
  // Neither button is a default button: Enter clicks only a focused button.
  const HWND buttons[] = {control(打开博客), control(确定)};
  const KeyTable keys = {buttons, 2, buttons, 2, nullptr, 0};
  return handle_navigation_key(keys, msg);
}

// Caption with the system menu and close box; no minimise or maximise box.
const WindowDefinition kAboutWindow = {kAboutWindowClass,
                                       "关于",
                                       WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                       kWidth,
                                       kHeight,
                                       kControls,
                                       kControlCount,
                                       确定,
                                       0,
                                       &g_state,
                                       created,
                                       handle,
                                       destroyed,
                                       key,
                                       nullptr};

}  // namespace

AboutInfo about_info;

void release_about_info() {
  free_text(about_info.title);
  free_text(about_info.version);
  free_text(about_info.company);
  free_text(about_info.years);
}

const WindowDefinition& about_window() { return kAboutWindow; }

void show_about() {
  about_info.title = Text(kTitle);
  about_info.version = Text(kVersion);
  about_info.company = Text(kCompany);
  about_info.years = Text(kYears);
  load_window(about_window(), &about_info);
}

void open_blog() {
  const Text address = about_contact::kBlogAddress;
  if (seams::intercept_shell_open(address)) return;
  // The outcome is not shown: without a browser nothing happens.
  ShellExecuteW(nullptr, L"open", to_wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void close_about() { destroy_window(about_window()); }
