// Start-up, the message loop, the wiring of the handlers into the windows and
// the end of the process.
#include "app/program.h"

#include <winsock2.h>
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <float.h>

#include "bench/run.h"
#include "platform/platform.h"
#include "platform/win/fatal.h"
#include "platform/win/wide.h"
#include "sysinfo/cpu_info.h"
#include "sysinfo/sysinfo.h"
#include "ui/about_window.h"
#include "ui/main_window.h"
#include "ui/window.h"

namespace {
std::atomic<bool> g_loop_entered{false};
void (*g_exit_cleanup)() = nullptr;
bool g_ole_initialized = false;
bool g_released = false;
}  // namespace

void release_globals() {
  if (g_released) return;
  g_released = true;
  release_about_info();
  release_cpu_info();
  release_processor_id_cache();
}

int program_main() {
  install_fatal_handlers();
  // COM and OLE for the main thread (single-threaded apartment); the script
  // host needs them. Should this fail, the COM lookups simply find nothing.
  g_ole_initialized = SUCCEEDED(OleInitialize(nullptr));
  // The floating-point unit in its initial state: exceptions masked, round to
  // nearest, 64-bit significand.
  _fpreset();
  create_cpu_info();
  register_exit_cleanup(release_globals);
  MainWindowHandlers handlers;
  handlers.about = show_about;
  handlers.start = run_evaluation;
  handlers.copy = copy_identity_report;
  handlers.exit = quit_program;
  set_main_window_handlers(handlers);
  set_window_destroyed_handler(note_window_destroyed);
  // A program without its window would end silently, as if all went well:
  // say what failed and end with the fatal stop's exit code.
  if (!load_window(main_window())) {
    fatal_stop("无法创建程序主窗口（" + window_creation_failure() + "），程序必须结束。");
  }
  run_message_loop();
  return 0;
}

void run_message_loop() {
  if (!any_window_open()) return;
  g_loop_entered.store(true);
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    guard_fatal([&msg] {
      if (handle_window_key(msg)) return;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    });
  }
}

void note_window_destroyed() {
  if (g_loop_entered.load() && !any_window_open()) PostQuitMessage(0);
}

void register_exit_cleanup(void (*cleanup)()) { g_exit_cleanup = cleanup; }

void end_process(int exit_code) {
  // Workers of a run still in progress stop launching stages and reporting.
  begin_shutdown();
  if (void (*cleanup)() = g_exit_cleanup) {
    g_exit_cleanup = nullptr;
    cleanup();
  }
  delete_all_locks();
  end_sockets();
  if (g_ole_initialized) OleUninitialize();
  // Ends every thread with the process: a worker still running can neither
  // keep the process alive nor touch what was released above.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exit_code));
  ExitProcess(static_cast<UINT>(exit_code));
}
