#include "common/program_control.h"

#include <cwchar>

#include "ui/control_ids.h"

namespace tool {

const wchar_t kScoreMark[] = L"\x60A8\x7684\x8BA1\x7B97\x673A\x8BC4\x5206";

bool start_program(const wchar_t* program, PROCESS_INFORMATION& process) {
  std::wstring command = L"\"" + std::wstring(program) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  process = PROCESS_INFORMATION{};
  if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  CloseHandle(process.hThread);
  process.hThread = nullptr;
  return true;
}

namespace {
struct Search {
  DWORD pid;
  const wchar_t* window_class;
  HWND found;
};

BOOL CALLBACK match(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (pid == search->pid && IsWindowVisible(hwnd) && std::wcscmp(name, search->window_class) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND wait_window(DWORD pid, const wchar_t* window_class, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    Search search{pid, window_class, nullptr};
    EnumWindows(match, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (GetTickCount() - start >= timeout_ms) return nullptr;
    Sleep(1);
  }
}

HWND control(HWND window, int id) {
  if (HWND direct = GetDlgItem(window, id)) return direct;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (HWND inner = GetDlgItem(child, id)) return inner;
  }
  return nullptr;
}

std::wstring text_of(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return L"";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &got);
  text.resize(got);
  return text;
}

void click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool start_evaluation(DWORD pid, HWND main_window) {
  click(control(main_window, ui_ids::按钮_开始评估));
  HWND confirm = wait_window(pid, L"#32770", 30000);
  if (!confirm) return false;
  click(GetDlgItem(confirm, IDYES));
  return true;
}

}  // namespace tool
