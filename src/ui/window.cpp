// The scaffolding every window of the program shares: loading and destroying
// a window, creating its controls from its template, finding them, keeping
// the focus across activations, and its keys.
#include "ui/window.h"

#include "platform/win/fatal.h"
#include "platform/win/wide.h"
#include "ui/scaffold.h"

namespace {

// The windows loaded so far (their definitions); at most a few.
constexpr int kMaxWindows = 4;
const WindowDefinition* g_known[kMaxWindows] = {};

// Set while load_window destroys a window to replace it at once: that is not
// the end of the last window.
bool g_replacing = false;
Text g_creation_failure;
void (*g_window_destroyed)() = nullptr;

// What CreateWindowExW hands to the window procedure.
struct Creation {
  const WindowDefinition* definition;
  const void* data;
};

void remember(const WindowDefinition& window) {
  for (const WindowDefinition*& known : g_known) {
    if (known == &window) return;
    if (known == nullptr) {
      known = &window;
      return;
    }
  }
}

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

// The program's icon (resource 1), or the system's application icon when the
// executable carries none.
HICON program_icon() {
  if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1))) return icon;
  return LoadIconW(nullptr, IDI_APPLICATION);
}

POINT centred_position(int width, int height) {
  return POINT{(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}

// The controls of the template in two passes: those of the window first, then
// those inside another control, whose parent must exist before them.
bool create_controls(const WindowDefinition& window, HWND hwnd) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < window.control_count; ++i) {
      const ControlSpec& spec = window.controls[i];
      if ((spec.parent_id != 0) != (pass == 1)) continue;
      HWND parent = spec.parent_id == 0 ? hwnd : control(window, spec.parent_id);
      const wchar_t* window_class =
          window.control_class != nullptr ? window.control_class(i, spec.window_class) : spec.window_class;
      const std::wstring text = spec.text != nullptr ? to_wide(spec.text) : std::wstring();
      HWND created = CreateWindowExW(
          spec.ex_style, window_class, text.c_str(), spec.style, spec.left, spec.top, spec.width, spec.height,
          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
      if (created == nullptr) {
        note_creation_failure(Text("控件“") + (spec.text != nullptr ? spec.text : "") + "”", GetLastError());
        return false;
      }
      window.state->controls[i] = created;
    }
  }
  return true;
}

// The control that last had the focus gets it back (the fallback when that
// one is disabled).
void restore_focus(const WindowDefinition& window) {
  HWND target = window.state->saved_focus;
  if ((target == nullptr || !IsWindowEnabled(target)) && window.fallback_focus_id != 0) {
    target = control(window, window.fallback_focus_id);
  }
  if (target != nullptr) SetFocus(target);
}

void top_window_destroyed(const WindowDefinition& window) {
  WindowState& s = *window.state;
  s.hwnd.store(nullptr);
  s.destroy_pending = false;
  for (HWND& c : s.controls) c = nullptr;
  s.saved_focus = nullptr;
  if (!g_replacing && g_window_destroyed != nullptr) g_window_destroyed();
}

LRESULT scaffold_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* creation =
        static_cast<const Creation*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->definition));
  }
  const auto* window = reinterpret_cast<const WindowDefinition*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_CREATE: {
      const auto* creation =
          static_cast<const Creation*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
      window->state->hwnd.store(hwnd);
      if (!create_controls(*window, hwnd)) return -1;
      window->state->saved_focus = control(*window, window->first_focus_id);
      if (window->created != nullptr && !window->created(hwnd, creation->data)) return -1;
      return 0;
    }
    case WM_ACTIVATE:
      // The focus goes straight back to the control that had it, never
      // through the window itself.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd, focus)) window->state->saved_focus = focus;
      } else if (HIWORD(wparam) == 0) {
        restore_focus(*window);
      }
      return 0;
    case WM_SETFOCUS:
      restore_focus(*window);
      return 0;
    case kDestroyRequest:
      DestroyWindow(hwnd);
      return 0;
    case WM_NCDESTROY: {
      LRESULT result = DefWindowProcW(hwnd, message, wparam, lparam);
      if (window->destroyed != nullptr) window->destroyed();
      top_window_destroyed(*window);
      return result;
    }
    default:
      break;
  }
  LRESULT result = 0;
  if (window->handle != nullptr && window->handle(hwnd, message, wparam, lparam, result)) return result;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK scaffold_procedure_guarded(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return guard_fatal([&] { return scaffold_procedure(hwnd, message, wparam, lparam); });
}

// Registers a top-level window class of the program (button-face background,
// the program's icon) the first time it is asked for; false if that fails.
bool register_window_class(const wchar_t* name) {
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing)) return true;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = scaffold_procedure_guarded;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = program_icon();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

HWND create_window(const WindowDefinition& window, const void* data) {
  if (!register_window_class(window.class_name)) {
    note_creation_failure("窗口类", GetLastError());
    return nullptr;
  }
  const POINT at = centred_position(window.width, window.height);
  Creation creation{&window, data};
  return CreateWindowExW(WS_EX_APPWINDOW, window.class_name, to_wide(window.title).c_str(), window.style,
                         at.x, at.y, window.width, window.height, nullptr, nullptr, GetModuleHandleW(nullptr),
                         &creation);
}

}  // namespace

HWND control(const WindowDefinition& window, int id) {
  for (int i = 0; i < window.control_count; ++i) {
    if (window.controls[i].id == id) return window.state->controls[i];
  }
  return nullptr;
}

bool load_window(const WindowDefinition& window, const void* creation_data) {
  remember(window);
  WindowState& s = *window.state;
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
  HWND created = create_window(window, creation_data);
  if (created == nullptr) {
    if (g_creation_failure.empty()) note_creation_failure("窗口", GetLastError());
    return false;
  }
  // WM_CREATE has recorded the handle.
  s.destroy_pending = false;
  ShowWindow(created, SW_SHOWNORMAL);
  UpdateWindow(created);
  SetForegroundWindow(created);
  return true;
}

void destroy_window(const WindowDefinition& window) {
  WindowState& s = *window.state;
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

bool any_window_open() {
  for (const WindowDefinition* known : g_known) {
    if (known != nullptr && known->state->hwnd.load() != nullptr) return true;
  }
  return false;
}

void set_window_destroyed_handler(void (*handler)()) { g_window_destroyed = handler; }

LRESULT black_on(HDC dc, COLORREF background, HBRUSH brush) {
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, background);
  return reinterpret_cast<LRESULT>(brush);
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
  for (const WindowDefinition* known : g_known) {
    if (known != nullptr && known->key != nullptr && root == known->state->hwnd.load())
      return known->key(msg);
  }
  return false;
}
