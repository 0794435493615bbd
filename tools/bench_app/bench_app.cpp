// bench_app: what the program costs its user around the workload. Not a
// test: it prints figures.
//
//   bench_app.exe PROGRAM.exe
//
// 1. Start-up: from process creation to the main window being visible
//    (several starts; minimum, median, maximum).
// 2. One append_to_box to a box that holds 16 lines and 2000 lines, made
//    from a worker thread the way the stages make them (synchronous, carried
//    out by the main thread's message loop), in this process's own main window.
// 3. The program's private memory at idle and, sampled every 20 ms, its peak
//    during the addition stage of a real run.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "common/program_control.h"
#include "process_figures.h"
#include "ui/boxes.h"
#include "ui/control_ids.h"
#include "ui/main_window.h"
#include "ui/window.h"

namespace {

double now_ms() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void end_program(PROCESS_INFORMATION& process) {
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hProcess);
}

// ---- 1. start-up ----------------------------------------------------------

void startup_figures(const wchar_t* program) {
  constexpr int kStarts = 5;
  std::vector<double> times;
  for (int i = 0; i < kStarts; ++i) {
    PROCESS_INFORMATION process;
    const double start = now_ms();
    if (!tool::start_program(program, process)) {
      std::fprintf(stderr, "bench_app: cannot start the program\n");
      return;
    }
    HWND main = tool::wait_window(process.dwProcessId, ui_ids::kMainWindowClass, 60000);
    const double shown = now_ms();
    end_program(process);
    if (main) times.push_back(shown - start);
  }
  std::sort(times.begin(), times.end());
  if (times.empty()) return;
  std::printf("%-44s %10.1f %10.1f %10.1f\n", "start-up to window shown (ms)", times.front(),
              times[times.size() / 2], times.back());
}

// ---- 2. append_to_box -----------------------------------------------------

Text lines(int count) {
  Text text;
  for (int i = 0; i < count; ++i) text += "单线程加法平均耗时：0.552 秒\r\n";
  return text;
}

// Runs the message loop until `worker` has finished; returns the worker's result.
double pump_while(const std::function<double()>& work) {
  double result = 0;
  const DWORD main_thread = GetCurrentThreadId();
  std::thread worker([&] {
    result = work();
    PostThreadMessageW(main_thread, WM_APP, 0, 0);
  });
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == WM_APP) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  worker.join();
  return result;
}

void append_figures() {
  if (!load_window(main_window())) {
    std::fprintf(stderr, "bench_app: cannot create the main window\n");
    return;
  }
  constexpr int kAppends = 100;
  for (int held : {16, 2000}) {
    std::vector<double> each;
    for (int round = 0; round < 5; ++round) {
      set_box_text(Box::performance_info, lines(held));
      const double total = pump_while([&] {
        const double start = now_ms();
        for (int i = 0; i < kAppends; ++i) append_to_box(Box::performance_info, "乘法测试结束...\r\n");
        return now_ms() - start;
      });
      each.push_back(total * 1000.0 / kAppends);
    }
    std::sort(each.begin(), each.end());
    char label[64];
    std::snprintf(label, sizeof label, "append_to_box, box of %d lines (us)", held);
    std::printf("%-44s %10.1f %10.1f %10.1f\n", label, each.front(), each[each.size() / 2], each.back());
  }
  destroy_window(main_window());
}

// ---- 3. private memory ----------------------------------------------------

void memory_figures(const wchar_t* program) {
  PROCESS_INFORMATION process;
  if (!tool::start_program(program, process)) return;
  HWND main = tool::wait_window(process.dwProcessId, ui_ids::kMainWindowClass, 60000);
  if (!main) {
    end_program(process);
    return;
  }
  Sleep(1000);
  const double idle = support::private_mib(process.hProcess);

  HWND performance = tool::control(main, ui_ids::编辑框_性能信息);
  const std::wstring launched = L"\x5F00\x59CB\x6D4B\x8BD5";  // 开始测试 (the launch line)
  const std::wstring addition_done = L"\x52A0\x6CD5\x6D4B\x8BD5\x7ED3\x675F";  // 加法测试结束
  double peak = -1;
  if (tool::start_evaluation(process.dwProcessId, main)) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 30u * 60u * 1000u) {
      const std::wstring text = tool::text_of(performance);
      if (text.find(addition_done) != std::wstring::npos) break;
      if (text.find(launched) != std::wstring::npos)
        peak = std::max(peak, support::private_mib(process.hProcess));
      Sleep(20);
    }
  }
  end_program(process);
  std::printf("%-44s %10.1f\n", "private memory at idle (MiB)", idle);
  std::printf("%-44s %10.1f\n", "private memory, peak in the addition stage (MiB)", peak);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_app.exe PROGRAM.exe\n");
    return 2;
  }
  std::printf("%-44s %10s %10s %10s\n", "figure", "min", "median", "max");
  startup_figures(argv[1]);
  append_figures();
  memory_figures(argv[1]);
  return 0;
}
