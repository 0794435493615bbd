// MainWindow: its template, its own messages, its keys and the box
// operations that every report line goes through.
#include "ui/main_window.h"

#include <atomic>
#include <string>

#include "platform/platform.h"
#include "platform/seams.h"
#include "platform/win/fatal.h"
#include "platform/win/wide.h"
#include "ui/boxes.h"
#include "ui/control_ids.h"
#include "ui/scaffold.h"
#include "ui/window.h"

using namespace ui_ids;

namespace {

constexpr int kWidth = 756;
constexpr int kHeight = 466;
const char kTitle[] = "Quelmo计算机性能评估工具";

// The window template: controls in their order. A box's parent is its group box.
constexpr DWORD kButtonStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE | BS_TEXT;
constexpr DWORD kGroupStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | BS_GROUPBOX | BS_LEFT;
constexpr DWORD kBoxStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
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

// The window's own state beside the scaffolding's. There is at most one
// MainWindow.
struct MainState {
  HFONT font = nullptr;        // every control but the title label
  HFONT title_font = nullptr;  // the title label
  WNDPROC group_procedure = nullptr;
};
MainState g_main;
WindowState g_state;
MainWindowHandlers g_handlers;

// What other threads may read: cleared as soon as the window goes.
std::atomic<HWND> g_window{nullptr};
std::atomic<HWND> g_box_performance{nullptr};
std::atomic<HWND> g_box_computer{nullptr};

HWND control(int id) { return ::control(main_window(), id); }

HFONT make_font(int height) {
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, to_wide("微软雅黑").c_str());
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

// On the main thread: the box's whole content, or the box's content replaced.
void set_now(Box box, const std::wstring& wide) {
  HWND hwnd = box_handle(box);
  if (hwnd != nullptr) SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void get_now(Box box, std::wstring& wide) {
  HWND hwnd = box_handle(box);
  if (hwnd == nullptr) return;
  const LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  wide.assign(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got =
      SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(wide.data()));
  wide.resize(got >= 0 && static_cast<size_t>(got) < wide.size() ? static_cast<size_t>(got) : 0);
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

void run_handler(void (*handler)()) {
  if (handler != nullptr) handler();
}

void on_command(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case 按钮_关于:
      run_handler(g_handlers.about);
      break;
    case 按钮_开始评估:
      run_handler(g_handlers.start);
      break;
    case 按钮_复制到剪贴板:
      run_handler(g_handlers.copy);
      break;
    case 按钮_退出:
      run_handler(g_handlers.exit);
      break;
    default:
      break;
  }
}

// ---- The box operations, as the main window carries them out: each one
// request whose handler runs on the main thread -------------------------------

void append(Box box, const Text& text) {
  HWND window = g_window.load();
  if (window == nullptr || box_handle(box) == nullptr) return;
  const std::wstring wide = to_wide(text);
  // One request, carried out by the main thread; from another thread the call
  // waits until it has been. The steps of the append run there together, so
  // no input (a mouse selecting text) comes between them.
  SendMessageW(window, kAppendToBox, static_cast<WPARAM>(box), reinterpret_cast<LPARAM>(&wide));
}

void set_text(Box box, const Text& text) {
  HWND window = g_window.load();
  if (window == nullptr || box_handle(box) == nullptr) return;
  const std::wstring wide = to_wide(text);
  SendMessageW(window, kSetBoxText, static_cast<WPARAM>(box), reinterpret_cast<LPARAM>(&wide));
}

Text get_text(Box box) {
  HWND window = g_window.load();
  if (window == nullptr || box_handle(box) == nullptr) return {};
  std::wstring wide;
  SendMessageW(window, kGetBoxText, static_cast<WPARAM>(box), reinterpret_cast<LPARAM>(&wide));
  return from_wide(wide);
}

void set_start_enabled(bool enabled) {
  HWND window = g_window.load();
  if (window == nullptr) return;
  SendMessageW(window, kEnableStartButton, enabled ? 1 : 0, 0);
}

const BoxOperations kBoxOperations = {append, set_text, get_text, set_start_enabled};

// ---- The window's own part of the scaffolding ---------------------------------

bool created(HWND window, const void*) {
  g_main.font = make_font(-12);
  g_main.title_font = make_font(-16);
  for (int i = 0; i < kControlCount; ++i) {
    const ControlSpec& spec = kControls[i];
    HWND c = g_state.controls[i];
    SendMessageW(c, WM_SETFONT,
                 reinterpret_cast<WPARAM>(spec.id == 标签_主标题 ? g_main.title_font : g_main.font), FALSE);
    if (spec.style == kBoxStyle) SendMessageW(c, EM_SETLIMITTEXT, 0, 0);  // the system maximum
    if (spec.style == kGroupStyle) {
      g_main.group_procedure = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(c, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&group_procedure)));
    }
  }
  g_window.store(window);
  g_box_performance.store(control(编辑框_性能信息));
  g_box_computer.store(control(编辑框_计算机信息));
  set_box_operations(&kBoxOperations);
  return true;
}

bool handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      on_command(LOWORD(wparam), HIWORD(wparam));
      return true;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID != 标签_主标题) return false;
      draw_title(*item);
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      result = black_on(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_BTNFACE),
                        GetSysColorBrush(COLOR_BTNFACE));
      return true;
    case kEnableStartButton:
      enable_start_button(wparam != 0);
      return true;
    case kAppendToBox:
      append_now(static_cast<Box>(wparam), *reinterpret_cast<const std::wstring*>(lparam));
      return true;
    case kSetBoxText:
      set_now(static_cast<Box>(wparam), *reinterpret_cast<const std::wstring*>(lparam));
      return true;
    case kGetBoxText:
      get_now(static_cast<Box>(wparam), *reinterpret_cast<std::wstring*>(lparam));
      return true;
    case WM_DESTROY:
      // From here on appends and the start button return at once: no other
      // thread may reach a control that is about to go. Workers of a run still
      // in progress stop reporting.
      g_window.store(nullptr);
      g_box_performance.store(nullptr);
      g_box_computer.store(nullptr);
      begin_shutdown();
      return true;
    default:
      (void)hwnd;
      return false;
  }
}

void destroyed() {
  DeleteObject(g_main.font);
  DeleteObject(g_main.title_font);
  g_main = MainState{};
}

bool key(const MSG& msg) {
  HWND window = g_window.load();
  if (window == nullptr) return false;
  if (msg.wParam == VK_ESCAPE) {
    // A close request: nothing handles it, so the window is destroyed at once.
    SendMessageW(window, WM_CLOSE, 0, 0);
    return true;
  }
  const HWND tab_order[] = {control(编辑框_计算机信息), control(编辑框_性能信息),   control(按钮_关于),
                            control(按钮_开始评估),     control(按钮_复制到剪贴板), control(按钮_退出)};
  // Every button is a default-style button; Enter elsewhere clicks the first
  // enabled one in template order.
  const HWND buttons[] = {control(按钮_关于), control(按钮_退出), control(按钮_复制到剪贴板),
                          control(按钮_开始评估)};
  const KeyTable keys = {tab_order, 6, buttons, 4, buttons, 4};
  return handle_navigation_key(keys, msg);
}

// The seam that makes the window impossible to create: a class that does not exist.
const wchar_t* control_class(int index, const wchar_t* normal) {
  return index == 0 && seams::fail_main_window() ? L"QuelmoNoSuchClass" : normal;
}

// A caption without a system menu: no close box, no minimise or maximise box.
const WindowDefinition kMainWindow = {kMainWindowClass, kTitle,        WS_OVERLAPPED | WS_CAPTION,
                                      kWidth,           kHeight,       kControls,
                                      kControlCount,    按钮_开始评估, 编辑框_计算机信息,
                                      &g_state,         created,       handle,
                                      destroyed,        key,           control_class};

}  // namespace

const WindowDefinition& main_window() { return kMainWindow; }

void set_main_window_handlers(const MainWindowHandlers& handlers) { g_handlers = handlers; }
