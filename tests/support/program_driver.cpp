#include "program_driver.h"

#include <algorithm>
#include <cwchar>

namespace support {

bool start_process(const std::wstring& path, const std::wstring& arguments, const wchar_t* environment,
                   const wchar_t* folder, PROCESS_INFORMATION& process) {
  std::wstring command_line = L"\"" + path + L"\"";
  if (!arguments.empty()) command_line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  process = PROCESS_INFORMATION{};
  if (!CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                      environment != nullptr ? CREATE_UNICODE_ENVIRONMENT : 0,
                      const_cast<wchar_t*>(environment), folder, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  process.hThread = nullptr;
  return true;
}

namespace {

struct TopSearch {
  DWORD pid;
  const wchar_t* window_class;
  std::vector<HWND> found;
};

BOOL CALLBACK collect_top(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TopSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (std::wcscmp(name, search->window_class) == 0) search->found.push_back(hwnd);
  return TRUE;
}

struct ChildSearch {
  int id;
  HWND found;
};

BOOL CALLBACK find_child(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (GetDlgCtrlID(hwnd) != search->id) return TRUE;
  search->found = hwnd;
  return FALSE;
}

}  // namespace

std::vector<HWND> top_windows(DWORD pid, const wchar_t* window_class) {
  TopSearch search{pid, window_class, {}};
  EnumWindows(collect_top, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND find_control(HWND window, int id) {
  ChildSearch search{id, nullptr};
  EnumChildWindows(window, find_child, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring text_of(HWND hwnd, UINT timeout_ms) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &length)) return L"";
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, timeout_ms, &got)) {
    return L"";
  }
  buffer.resize(std::min<size_t>(got, buffer.size()));
  return buffer;
}

void click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

}  // namespace support
