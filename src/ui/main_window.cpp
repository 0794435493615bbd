// MainWindow: its controls, its window procedure, the keys and the box
// operations that every report line goes through.
#include <atomic>

#include "app/seams.h"
#include "bench/run.h"
#include "platform/platform.h"
#include "platform/win/fatal.h"
#include "platform/win/wide.h"
#include "sysinfo/sysinfo.h"
#include "ui/about_window.h"
#include "ui/boxes.h"
#include "ui/control_ids.h"
#include "ui/window_internal.h"

using namespace ui_ids;

namespace {

constexpr int kWidth = 756;
constexpr int kHeight = 466;
const char kTitle[] = "Quelmo计算机性能评估工具";

// The window template: controls in their order. A box's parent is its group box.
struct ControlSpec {
  int id;
  const wchar_t* window_class;
  DWORD style;
  DWORD ex_style;
  int parent_id;  // 0: the window itself
  int left, top, width, height;
  const char* text;
};

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_CENTER |
                               BS_VCENTER | BS_MULTILINE | BS_TEXT;
constexpr DWORD kGroupStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | BS_GROUPBOX | BS_LEFT;
constexpr DWORD kBoxStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_LEFT |
                            ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX;

const ControlSpec kControls[] = {
    {按钮_关于, L"BUTTON", kButtonStyle, 0, 0, 254, 392, 100, 30, "关于"},
    {按钮_退出, L"BUTTON", kButtonStyle, 0, 0, 638, 391, 100, 30, "退出"},
    {分组框_运算性能信息, L"BUTTON", kGroupStyle, 0, 0, 380, 51, 360, 330, "运算性能信息"},
    {编辑框_性能信息, L"EDIT", kBoxStyle, WS_EX_CLIENTEDGE, 分组框_运算性能信息, 16, 21, 330, 295, ""},
    {按钮_复制到剪贴板, L"BUTTON", kButtonStyle, 0, 0, 515, 391, 100, 30, "复制到剪贴板"},
    {编辑框_计算机信息, L"EDIT", kBoxStyle, WS_EX_CLIENTEDGE, 分组框_计算机信息, 16, 21, 330, 295, ""},
    {按钮_开始评估, L"BUTTON", kButtonStyle, 0, 0, 387, 391, 100, 30, "开始评估"},
    {标签_主标题, L"STATIC", kLabelStyle, 0, 0, -4, 3, 756, 40, "Quelmo计算机性能评估工具 "},
    {分组框_计算机信息, L"BUTTON", kGroupStyle, 0, 0, 10, 50, 360, 330, "计算机信息"},
};
constexpr int kControlCount = sizeof(kControls) / sizeof(kControls[0]);

// The window's state. There is at most one MainWindow.
struct MainState {
  HWND controls[kControlCount] = {};
  HFONT font = nullptr;        // every control but the title label
  HFONT title_font = nullptr;  // the title label
  HWND saved_focus = nullptr;  // the control to give the focus back to
  WNDPROC group_procedure = nullptr;
};
MainState g_main;

// What other threads may read: cleared as soon as the window goes.
std::atomic<HWND> g_window{nullptr};
std::atomic<HWND> g_box_performance{nullptr};
std::atomic<HWND> g_box_computer{nullptr};

HWND control(int id) {
  for (int i = 0; i < kControlCount; ++i) {
    if (kControls[i].id == id) return g_main.controls[i];
  }
  return nullptr;
}

HFONT make_font(int height) {
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH,
                     to_wide("微软雅黑").c_str());
}

LRESULT black_on(HDC dc, COLORREF background, HBRUSH brush) {
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, background);
  return reinterpret_cast<LRESULT>(brush);
}

// The group boxes parent the text boxes, so the boxes' colour requests and
// notifications arrive at them: the boxes stay black on white while
// read-only, and notifications go on to the window.
LRESULT CALLBACK group_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return guard_fatal([&]() -> LRESULT {
    switch (message) {
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
        return black_on(reinterpret_cast<HDC>(wparam), RGB(255, 255, 255),
                        static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      case WM_COMMAND:
        return SendMessageW(GetParent(hwnd), message, wparam, lparam);
      case WM_ERASEBKGND: {
        // A group box draws only its frame and caption: fill what lies inside.
        RECT rect;
        GetClientRect(hwnd, &rect);
        FillRect(reinterpret_cast<HDC>(wparam), &rect, GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
      }
      default:
        return CallWindowProcW(g_main.group_procedure, hwnd, message, wparam, lparam);
    }
  });
}

void draw_title(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  const int length = GetWindowTextLengthW(item.hwndItem);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(item.hwndItem, text.data(), length + 1);
  HGDIOBJ old_font = SelectObject(item.hDC, g_main.title_font);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, RGB(0, 0, 0));
  RECT rect = item.rcItem;
  DrawTextW(item.hDC, text.c_str(), got, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(item.hDC, old_font);
}

bool create_controls(HWND window) {
  g_main.font = make_font(-12);
  g_main.title_font = make_font(-16);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  // Two passes: the controls of the window first, then those inside a group
  // box, whose parent must exist before them.
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < kControlCount; ++i) {
      const ControlSpec& spec = kControls[i];
      if ((spec.parent_id != 0) != (pass == 1)) continue;
      HWND parent = spec.parent_id == 0 ? window : control(spec.parent_id);
      const wchar_t* window_class = i == 0 ? seams::first_control_class(spec.window_class) : spec.window_class;
      HWND created = CreateWindowExW(spec.ex_style, window_class, to_wide(spec.text).c_str(),
                                     spec.style, spec.left, spec.top, spec.width, spec.height,
                                     parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                                     instance, nullptr);
      if (created == nullptr) {
        note_creation_failure(Text("控件“") + spec.text + "”", GetLastError());
        return false;
      }
      g_main.controls[i] = created;
      SendMessageW(created, WM_SETFONT,
                   reinterpret_cast<WPARAM>(spec.id == 标签_主标题 ? g_main.title_font : g_main.font),
                   FALSE);
      if (spec.window_class == std::wstring_view(L"EDIT")) {
        SendMessageW(created, EM_SETLIMITTEXT, 0, 0);  // the system maximum
      }
      if (spec.style == kGroupStyle) {
        g_main.group_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            created, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&group_procedure)));
      }
    }
  }
  g_main.saved_focus = control(按钮_开始评估);
  g_box_performance.store(control(编辑框_性能信息));
  g_box_computer.store(control(编辑框_计算机信息));
  return true;
}

HWND box_handle(Box box) {
  return box == Box::computer_info ? g_box_computer.load() : g_box_performance.load();
}

// On the main thread: the text goes at the very end, whatever the user has
// selected (the selection is dropped), and the box shows that end.
void append_now(Box box, const std::wstring& wide) {
  HWND hwnd = box_handle(box);
  if (hwnd == nullptr) return;
  const LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(length), length);
  SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
  SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}

// The control that last had the focus gets it back (the first the Tab key
// would reach when that one is disabled).
void restore_focus() {
  HWND target = g_main.saved_focus;
  if (target == nullptr || !IsWindowEnabled(target)) target = control(编辑框_计算机信息);
  if (target != nullptr) SetFocus(target);
}

// Focus moves off a control that is being disabled, to the next one Tab would reach.
void enable_start_button(bool enable) {
  HWND button = control(按钮_开始评估);
  if (button == nullptr) return;
  if (!enable && GetFocus() == button) {
    SetFocus(control(按钮_复制到剪贴板));
  }
  EnableWindow(button, enable ? TRUE : FALSE);
}

void on_command(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case 按钮_关于: show_about(); break;
    case 按钮_开始评估: run_evaluation(); break;
    case 按钮_复制到剪贴板: copy_identity_report(); break;
    case 按钮_退出: quit_program(); break;
    default: break;
  }
}

LRESULT main_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return create_controls(hwnd) ? 0 : -1;
    case WM_COMMAND:
      on_command(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID != 标签_主标题) break;
      draw_title(*item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return black_on(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_BTNFACE),
                      GetSysColorBrush(COLOR_BTNFACE));
    case WM_ACTIVATE:
      // The focus goes straight back to the control that had it, never
      // through the window itself.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd, focus)) g_main.saved_focus = focus;
      } else if (HIWORD(wparam) == 0) {
        restore_focus();
      }
      return 0;
    case WM_SETFOCUS:
      restore_focus();
      return 0;
    case kEnableStartButton:
      enable_start_button(wparam != 0);
      return 0;
    case kAppendToBox:
      append_now(static_cast<Box>(wparam), *reinterpret_cast<const std::wstring*>(lparam));
      return 0;
    case kDestroyRequest:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      // From here on appends and the start button return at once: no other
      // thread may reach a control that is about to go. Workers of a run still
      // in progress stop reporting.
      g_window.store(nullptr);
      g_box_performance.store(nullptr);
      g_box_computer.store(nullptr);
      begin_shutdown();
      return 0;
    case WM_NCDESTROY: {
      LRESULT result = DefWindowProcW(hwnd, message, wparam, lparam);
      DeleteObject(g_main.font);
      DeleteObject(g_main.title_font);
      g_main = MainState{};
      top_window_destroyed(Window::main);
      return result;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK main_procedure_guarded(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return guard_fatal([&] { return main_procedure(hwnd, message, wparam, lparam); });
}

}  // namespace

HWND create_main_window() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!register_window_class(kMainWindowClass, main_procedure_guarded)) {
    note_creation_failure("窗口类", GetLastError());
    return nullptr;
  }
  const POINT at = centred_position(kWidth, kHeight);
  // A caption without a system menu: no close box, no minimise or maximise box.
  HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, kMainWindowClass, to_wide(kTitle).c_str(),
                              WS_OVERLAPPED | WS_CAPTION, at.x, at.y, kWidth,
                              kHeight, nullptr, nullptr, instance, nullptr);
  if (hwnd != nullptr) g_window.store(hwnd);
  return hwnd;
}

bool main_window_key(const MSG& msg) {
  HWND window = g_window.load();
  if (window == nullptr) return false;
  if (msg.wParam == VK_ESCAPE) {
    // A close request: nothing handles it, so the window is destroyed at once.
    SendMessageW(window, WM_CLOSE, 0, 0);
    return true;
  }
  const HWND tab_order[] = {control(编辑框_计算机信息), control(编辑框_性能信息), control(按钮_关于),
                            control(按钮_开始评估), control(按钮_复制到剪贴板), control(按钮_退出)};
  // Every button is a default-style button; Enter elsewhere clicks the first
  // enabled one in template order.
  const HWND buttons[] = {control(按钮_关于), control(按钮_退出), control(按钮_复制到剪贴板),
                          control(按钮_开始评估)};
  const KeyTable keys = {tab_order, 6, buttons, 4, buttons, 4};
  return handle_navigation_key(keys, msg);
}

void append_to_box(Box box, const Text& text) {
  HWND window = g_window.load();
  if (window == nullptr || box_handle(box) == nullptr) return;
  const std::wstring wide = to_wide(text);
  // One request, carried out by the main thread; from another thread the call
  // waits until it has been. The steps of the append run there together, so
  // no input (a mouse selecting text) comes between them.
  SendMessageW(window, kAppendToBox, static_cast<WPARAM>(box), reinterpret_cast<LPARAM>(&wide));
}

void set_box_text(Box box, const Text& text) {
  HWND hwnd = box_handle(box);
  if (hwnd == nullptr) return;
  const std::wstring wide = to_wide(text);
  SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

Text get_box_text(Box box) {
  HWND hwnd = box_handle(box);
  if (hwnd == nullptr) return {};
  const LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got =
      SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(wide.data()));
  return from_wide(wide.data(), static_cast<int>(got));
}

void set_start_button_enabled(bool enabled) {
  HWND window = g_window.load();
  if (window == nullptr) return;
  SendMessageW(window, kEnableStartButton, enabled ? 1 : 0, 0);
}
