#include "common/program_control.h"

#include "ui/control_ids.h"

namespace tool {

const wchar_t kScoreMark[] = L"\x60A8\x7684\x8BA1\x7B97\x673A\x8BC4\x5206";

bool start_program(const wchar_t* program, PROCESS_INFORMATION& process) {
  return support::start_process(program, L"", nullptr, nullptr, process);
}

HWND wait_window(DWORD pid, const wchar_t* window_class, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const std::vector<HWND> found = support::top_windows(pid, window_class);
    if (!found.empty()) return found.front();
    if (GetTickCount() - start >= timeout_ms) return nullptr;
    Sleep(1);
  }
}

bool start_evaluation(DWORD pid, HWND main_window) {
  click(control(main_window, ui_ids::按钮_开始评估));
  HWND confirm = wait_window(pid, L"#32770", 30000);
  if (!confirm) return false;
  click(GetDlgItem(confirm, IDYES));
  return true;
}

}  // namespace tool
