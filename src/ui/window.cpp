// Loading and destroying the two top-level windows, and their keyboard
// handling.
#include <atomic>

#include "app/program.h"
#include "ui/about_window.h"
#include "ui/window_internal.h"

bool main_window_key(const MSG& msg);
bool about_window_key(const MSG& msg);

namespace {

struct WindowSlot {
  std::atomic<HWND> hwnd{nullptr};
  bool destroy_pending = false;
};

WindowSlot g_slots[2];
// Set while load_window destroys a window to replace it at once: that is not
// the end of the last window.
bool g_replacing = false;
Text g_creation_failure;

WindowSlot& slot(Window window) { return g_slots[window == Window::main ? 0 : 1]; }

void bring_to_front(HWND hwnd) {
  if (IsIconic(hwnd)) {
    ShowWindow(hwnd, SW_RESTORE);
  } else {
    BringWindowToTop(hwnd);
  }
  SetForegroundWindow(hwnd);
  SetActiveWindow(hwnd);
}

void click(HWND button) {
  HWND parent = GetParent(button);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

}  // namespace

bool load_window(Window window) {
  WindowSlot& s = slot(window);
  if (HWND open = s.hwnd.load()) {
    if (!s.destroy_pending) {
      bring_to_front(open);
      return true;
    }
    g_replacing = true;
    DestroyWindow(open);
    g_replacing = false;
  }
  g_creation_failure.clear();
  SetLastError(0);
  HWND created = window == Window::main ? create_main_window() : create_about_window();
  if (created == nullptr) {
    if (g_creation_failure.empty()) note_creation_failure("窗口", GetLastError());
    return false;
  }
  s.hwnd.store(created);
  s.destroy_pending = false;
  if (window == Window::about) about_window_created();
  ShowWindow(created, SW_SHOWNORMAL);
  UpdateWindow(created);
  SetForegroundWindow(created);
  return true;
}

void destroy_window(Window window) {
  WindowSlot& s = slot(window);
  HWND hwnd = s.hwnd.load();
  if (hwnd == nullptr) return;
  s.destroy_pending = true;
  PostMessageW(hwnd, kDestroyRequest, 0, 0);
}

void note_creation_failure(const Text& what, DWORD error) {
  // The first failure is the cause; what fails after it follows from it.
  if (!g_creation_failure.empty()) return;
  g_creation_failure = what + "创建失败，错误代码 " + int_to_text(static_cast<int32_t>(error));
}

Text window_creation_failure() { return g_creation_failure; }

HWND window_handle(Window window) { return slot(window).hwnd.load(); }

bool any_window_open() {
  return g_slots[0].hwnd.load() != nullptr || g_slots[1].hwnd.load() != nullptr;
}

void top_window_destroyed(Window window) {
  WindowSlot& s = slot(window);
  s.hwnd.store(nullptr);
  s.destroy_pending = false;
  if (!g_replacing) note_window_destroyed();
}

HICON program_icon() {
  if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1))) return icon;
  return LoadIconW(nullptr, IDI_APPLICATION);
}

bool register_window_class(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing)) return true;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = program_icon();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

POINT centred_position(int width, int height) {
  return POINT{(GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}

bool handle_navigation_key(const KeyTable& keys, const MSG& msg) {
  if (msg.wParam == VK_TAB) {
    if (keys.tab_count == 0) return true;
    const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < keys.tab_count; ++i) {
      if (keys.tab_order[i] == focus) at = i;
    }
    // From the focused control (or from outside the list) to the next enabled one.
    for (int step = 1; step <= keys.tab_count; ++step) {
      int i;
      if (at < 0) {
        i = back ? keys.tab_count - step : step - 1;
      } else {
        i = (at + (back ? keys.tab_count - step : step)) % keys.tab_count;
      }
      if (IsWindowEnabled(keys.tab_order[i]) && IsWindowVisible(keys.tab_order[i])) {
        SetFocus(keys.tab_order[i]);
        break;
      }
    }
    return true;
  }
  if (msg.wParam == VK_RETURN) {
    HWND focus = GetFocus();
    for (int i = 0; i < keys.enter_count; ++i) {
      if (keys.enter_buttons[i] == focus && IsWindowEnabled(focus)) {
        click(focus);
        return true;
      }
    }
    for (int i = 0; i < keys.default_count; ++i) {
      if (IsWindowEnabled(keys.default_buttons[i])) {
        click(keys.default_buttons[i]);
        break;
      }
    }
    return true;
  }
  return false;
}

bool handle_window_key(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.hwnd == nullptr) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (root == nullptr) return false;
  if (root == slot(Window::main).hwnd.load()) return main_window_key(msg);
  if (root == slot(Window::about).hwnd.load()) return about_window_key(msg);
  return false;
}
