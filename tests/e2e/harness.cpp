#include "harness.h"

#include "program_driver.h"

#include "font_probe.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>

#ifndef QUELMO_E2E_BIN_DIR
#error "QUELMO_E2E_BIN_DIR (the build folder) must be defined"
#endif

namespace e2e {

namespace {

constexpr UINT kCodePage = 936;
constexpr int kPollMs = 25;
constexpr UINT kSendTimeoutMs = 10000;

// The build folder as Wine sees it: the root of the Unix file system is Z:.
std::wstring build_folder() {
  std::wstring path = L"Z:" + wide(QUELMO_E2E_BIN_DIR);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::wstring upper(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(c));
  return s;
}

// This process's environment without QUELMO_SEAM_*, plus `extra`.
std::wstring environment_block(const Environment& extra) {
  std::vector<std::wstring> entries;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* p = block; *p != L'\0'; p += wcslen(p) + 1) {
      std::wstring entry = p;
      if (upper(entry).rfind(L"QUELMO_SEAM_", 0) == 0) continue;
      entries.push_back(entry);
    }
    FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : extra) entries.push_back(wide(name) + L"=" + wide(value));
  std::wstring out;
  for (const std::wstring& e : entries) {
    out += e;
    out.push_back(L'\0');
  }
  out.push_back(L'\0');
  return out;
}

BOOL CALLBACK collect_children(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

bool open_clipboard() {
  return wait_until([] { return OpenClipboard(nullptr) != FALSE; }, 5000);
}

}  // namespace

std::wstring wide(const Text& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(kCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

Text narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  Text out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

Program::Program(HANDLE process, DWORD pid, DWORD main_thread_id)
    : process_(process), pid_(pid), main_thread_id_(main_thread_id) {}

namespace {
// Ends the processes that `parent` started and left behind, such as the COM
// server that a WMI query starts: they would keep the test's output open.
void end_children(DWORD parent) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID != parent || entry.th32ProcessID == parent) continue;
    if (HANDLE child = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
      TerminateProcess(child, 0);
      WaitForSingleObject(child, 5000);
      CloseHandle(child);
    }
  }
  CloseHandle(snapshot);
}
}  // namespace

Program::~Program() {
  if (running()) {
    TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, 5000);
  }
  end_children(pid_);
  CloseHandle(process_);
}

bool Program::running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

DWORD Program::exit_code() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_, &code);
  return code;
}

std::wstring program_path(Variant variant) {
  return build_folder() + (variant == Variant::seams ? L"\\quelmo-eval-seams.exe" : L"\\quelmo-eval.exe");
}

std::unique_ptr<Program> start_program(const Environment& environment, Variant variant) {
  return start_executable(program_path(variant), L"", environment);
}

std::unique_ptr<Program> start_executable(const std::wstring& path, const std::wstring& arguments,
                                          const Environment& environment) {
  const std::wstring env = environment_block(environment);
  PROCESS_INFORMATION info = {};
  if (!support::start_process(path, arguments, env.c_str(), build_folder().c_str(), info)) {
    ADD_FAILURE() << "cannot start " << narrow(path) << " (error " << GetLastError() << ")";
    return nullptr;
  }
  return std::make_unique<Program>(info.hProcess, info.dwProcessId, info.dwThreadId);
}

std::wstring fresh_temp_path(const char* stem) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  static int counter = 0;
  std::wstring path = std::wstring(folder) + wide(stem) + L"-" + std::to_wstring(GetCurrentProcessId()) +
                      L"-" + std::to_wstring(++counter) + L".log";
  DeleteFileW(path.c_str());
  return path;
}

Text read_file(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  Text content;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(file);
  return content;
}

bool wait_until(const std::function<bool()>& condition, int timeout_ms) {
  // (<chrono> cannot be compiled with the GBK execution character set.)
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
}

std::vector<HWND> top_windows(const Program& program, const wchar_t* window_class, const Text* title) {
  std::vector<HWND> found;
  for (HWND hwnd : support::top_windows(program.pid(), window_class)) {
    if (title == nullptr || window_text(hwnd) == *title) found.push_back(hwnd);
  }
  return found;
}

namespace {
HWND wait_top_window(const Program& program, const wchar_t* window_class, int timeout_ms) {
  HWND found = nullptr;
  wait_until(
      [&] {
        std::vector<HWND> all = top_windows(program, window_class);
        if (all.empty()) return false;
        found = all.front();
        return true;
      },
      timeout_ms);
  return found;
}
}  // namespace

HWND wait_main_window(const Program& program, int timeout_ms) {
  return wait_top_window(program, L"QuelmoMainWindow", timeout_ms);
}

HWND wait_about_window(const Program& program, int timeout_ms) {
  return wait_top_window(program, L"QuelmoAboutWindow", timeout_ms);
}

HWND find_control(HWND window, int id) { return support::find_control(window, id); }

Text window_text(HWND hwnd) { return narrow(support::text_of(hwnd, kSendTimeoutMs)); }

RECT window_rect(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  return rect;
}

RECT rect_in_parent(HWND control) {
  RECT rect = window_rect(control);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LONG style_of(HWND hwnd) { return GetWindowLongW(hwnd, GWL_STYLE); }
LONG ex_style_of(HWND hwnd) { return GetWindowLongW(hwnd, GWL_EXSTYLE); }

std::wstring class_of(HWND hwnd) {
  wchar_t name[256] = {};
  const int n = GetClassNameW(hwnd, name, 256);
  return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

std::optional<ControlFont> control_font(const Program& program, HWND control, int timeout_ms) {
  static const HMODULE library = LoadLibraryW(font_probe::kLibrary);
  if (library == nullptr) {
    ADD_FAILURE() << "cannot load the font probe library, error " << GetLastError();
    return std::nullopt;
  }
  const auto hook_procedure = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(library, font_probe::kHookProcedure)));
  static const UINT probe = RegisterWindowMessageW(font_probe::kMessage);
  static LONG last_request = 0;
  if (hook_procedure == nullptr || probe == 0) {
    ADD_FAILURE() << "the font probe library has no hook procedure";
    return std::nullopt;
  }

  const std::wstring name = font_probe::block_name(program.pid());
  HANDLE block = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof(font_probe::Report), name.c_str());
  auto* report = block != nullptr ? static_cast<font_probe::Report*>(MapViewOfFile(
                                        block, FILE_MAP_WRITE, 0, 0, sizeof(font_probe::Report)))
                                  : nullptr;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, hook_procedure, library, program.main_thread_id());
  std::optional<ControlFont> result;
  if (report == nullptr || hook == nullptr) {
    ADD_FAILURE() << "font probe: no shared block or no hook, error " << GetLastError();
  } else {
    const LONG request = ++last_request;
    // The hook runs in the program's thread before the control sees the
    // message, so the report is there when the send returns; sent again until
    // the deadline in case the first one came too early for the hook.
    const bool answered = wait_until(
        [&] {
          DWORD_PTR ignored = 0;
          SendMessageTimeoutW(control, probe, static_cast<WPARAM>(request), 0, SMTO_ABORTIFHUNG,
                              kSendTimeoutMs, &ignored);
          return InterlockedCompareExchange(&report->request, 0, 0) == request;
        },
        timeout_ms);
    if (!answered) {
      ADD_FAILURE() << "font probe: the control did not answer";
    } else {
      ControlFont font;
      font.has_font = report->has_font != FALSE;
      font.is_default_gui_font = report->is_default_gui_font != FALSE;
      if (font.has_font && report->described == FALSE) {
        ADD_FAILURE() << "font probe: the control's font could not be described";
      } else {
        font.font = report->font;
        result = font;
      }
    }
  }
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  if (report != nullptr) UnmapViewOfFile(report);
  if (block != nullptr) CloseHandle(block);
  return result;
}

void click(HWND button) { support::click(button); }

bool while_main_thread_held(const Program& program, const std::function<void()>& post) {
  HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, program.main_thread_id());
  if (thread == nullptr) return false;
  const bool held = SuspendThread(thread) != static_cast<DWORD>(-1);
  if (held) {
    // A suspension takes effect a little later; reading the thread's context
    // waits until it has.
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    GetThreadContext(thread, &context);
    post();
    ResumeThread(thread);
  }
  CloseHandle(thread);
  return held;
}

HWND focused_control(const Program& program) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(program.main_thread_id(), &info)) return nullptr;
  return info.hwndFocus;
}

void press_key(const Program& program, UINT virtual_key) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(program.main_thread_id(), &info);
  HWND target = info.hwndFocus != nullptr ? info.hwndFocus : info.hwndActive;
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC)) << 16;
  if (target != nullptr) {
    PostMessageW(target, WM_KEYDOWN, virtual_key, 1 | scan);
    PostMessageW(target, WM_KEYUP, virtual_key, 1 | scan | (1 << 30) | (1u << 31));
  } else {
    PostThreadMessageW(program.main_thread_id(), WM_KEYDOWN, virtual_key, 1 | scan);
  }
}

bool set_focus(const Program& program, HWND control, int timeout_ms) {
  // The control's window first becomes the active one, as a user's click on
  // its caption would make it; then the focus moves to the control. Under
  // Wine either step can be lost when the program is busy, so both are tried
  // again until the deadline.
  HWND root = GetAncestor(control, GA_ROOT);
  auto active = [&] {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(program.main_thread_id(), &info) && info.hwndActive == root;
  };
  const DWORD self = GetCurrentThreadId();
  const DWORD start = GetTickCount();
  const int half = timeout_ms / 2;
  while (GetTickCount() - start < static_cast<DWORD>(half)) {
    if (!active()) SetForegroundWindow(root);
    if (AttachThreadInput(self, program.main_thread_id(), TRUE)) {
      SetFocus(control);
      AttachThreadInput(self, program.main_thread_id(), FALSE);
    }
    if (wait_until([&] { return focused_control(program) == control; }, 250)) return true;
  }
  // A text box also takes the focus when clicked; a button would be pressed.
  if (class_of(control) != L"Edit") return false;
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  return wait_until([&] { return focused_control(program) == control; }, half);
}

bool message_box_open(const Program& program) { return !top_windows(program, L"#32770").empty(); }

std::optional<MessageBoxSeen> wait_message_box(const Program& program, int timeout_ms) {
  HWND box = wait_top_window(program, L"#32770", timeout_ms);
  if (box == nullptr) return std::nullopt;
  MessageBoxSeen seen;
  seen.hwnd = box;
  seen.caption = window_text(box);
  // The message is the box's text label: a static control that is not the icon.
  std::vector<HWND> children;
  EnumChildWindows(box, collect_children, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (upper(class_of(child)) != L"STATIC") continue;
    if ((style_of(child) & SS_TYPEMASK) == SS_ICON) continue;
    Text text = window_text(child);
    if (text.size() > seen.text.size()) seen.text = text;
  }
  return seen;
}

void answer_message_box(HWND box, int button_id) {
  if (HWND button = GetDlgItem(box, button_id)) {
    PostMessageW(button, BM_CLICK, 0, 0);
  } else {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), 0);
  }
}

bool wait_gone(HWND hwnd, int timeout_ms) {
  return wait_until([&] { return !IsWindow(hwnd); }, timeout_ms);
}

bool wait_exit(Program& program, int timeout_ms) {
  return wait_until([&] { return !program.running(); }, timeout_ms);
}

std::optional<Text> clipboard_text() {
  if (!open_clipboard()) return std::nullopt;
  std::optional<Text> out;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
      out = Text(bytes);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return out;
}

std::optional<std::wstring> clipboard_unicode_text() {
  if (!open_clipboard()) return std::nullopt;
  std::optional<std::wstring> out;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      out = std::wstring(chars);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return out;
}

bool clear_clipboard() {
  if (!open_clipboard()) return false;
  const bool emptied = EmptyClipboard() != FALSE;
  CloseClipboard();
  return emptied;
}

namespace {
BOOL CALLBACK collect_child(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}
}  // namespace

std::vector<HWND> descendants(HWND window) {
  std::vector<HWND> found;
  EnumChildWindows(window, collect_child, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool classic_control(HWND hwnd) {
  wchar_t name[256] = {};
  if (GetClassNameW(hwnd, name, 256) == 0) return false;
  // This test program carries no manifest, so its class of that name is the
  // system's classic one; a control drawn with a visual style belongs to
  // another class (common controls 6) of the same name.
  WNDCLASSEXW classic{};
  classic.cbSize = sizeof classic;
  const ATOM classic_atom = static_cast<ATOM>(GetClassInfoExW(nullptr, name, &classic));
  return classic_atom != 0 && static_cast<ATOM>(GetClassLongPtrW(hwnd, GCW_ATOM)) == classic_atom;
}

namespace {
// The pixels of `width` x `height` at (x, y) on the screen, or of `icon`
// drawn on the message box's background, as 32-bit values.
std::vector<DWORD> pixels(int x, int y, int width, int height, HICON icon) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  if (icon != nullptr) {
    RECT all{0, 0, width, height};
    FillRect(memory, &all, GetSysColorBrush(COLOR_BTNFACE));
    DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  } else {
    BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY);
  }
  GdiFlush();
  std::vector<DWORD> result(static_cast<const DWORD*>(bits),
                            static_cast<const DWORD*>(bits) + width * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return result;
}
}  // namespace

LPCWSTR message_box_icon(HWND box) {
  // The box's icon is a static control of SS_ICON style; what it shows on the
  // screen is compared with each standard icon drawn here (an icon handle of
  // another process cannot be read).
  HWND icon_control = nullptr;
  for (HWND child : descendants(box)) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) icon_control = child;
  }
  if (icon_control == nullptr) return nullptr;
  const int size = GetSystemMetrics(SM_CXICON);
  LPCWSTR found = nullptr;
  wait_until(
      [&] {
        RECT r{};
        GetWindowRect(icon_control, &r);
        const std::vector<DWORD> shown = pixels(r.left, r.top, size, size, nullptr);
        for (LPCWSTR id : {IDI_WARNING, IDI_INFORMATION, IDI_ERROR, IDI_QUESTION}) {
          const std::vector<DWORD> standard = pixels(0, 0, size, size, LoadIconW(nullptr, id));
          size_t differing = 0;
          for (size_t i = 0; i < shown.size(); ++i) {
            if ((shown[i] & 0xFFFFFF) != (standard[i] & 0xFFFFFF)) ++differing;
          }
          if (differing * 20 < shown.size()) {  // fewer than 5 % of the pixels differ
            found = id;
            return true;
          }
        }
        return false;
      },
      5000);
  return found;
}

std::vector<int> message_box_buttons(HWND box) {
  std::vector<int> ids;
  wchar_t name[32] = {};
  for (HWND child : descendants(box)) {
    GetClassNameW(child, name, 32);
    if (_wcsicmp(name, L"Button") == 0 && IsWindowVisible(child)) ids.push_back(GetDlgCtrlID(child));
  }
  return ids;
}

}  // namespace e2e
