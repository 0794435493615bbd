// The start and exit buttons: an evaluation run from the confirmation to the
// launch of its first stage, and the end of the program.
#include "bench/run.h"

#include <windows.h>

#include "bench/evaluation.h"
#include "platform/platform.h"
#include "platform/win/wide.h"
#include "sysinfo/sysinfo.h"
#include "ui/boxes.h"
#include "ui/main_window.h"
#include "ui/window.h"

namespace {
bool confirming = false;  // main thread only
}  // namespace

void run_evaluation() {
  // The start button is disabled during a run, but a click can still arrive
  // (a message posted to the button, or a second click dispatched while the
  // confirmation box is up): it starts nothing.
  if (confirming || evaluation_in_progress()) return;
  confirming = true;
  const int answer = message_box(
      "本程序将通过数据运算评估计算机处理器性能。评估过程受软件性能限制，结果仅供参考。"
      "评估过程根据计算机性能不同大约持续5秒-600秒。为了提高评估准确性，开始评估前Quelmo"
      "建议您关闭非必要的程序，您确定要开始评估吗？",
      "开始评估", MB_YESNO | MB_ICONQUESTION);
  confirming = false;
  if (answer != IDYES) return;

  // One run at a time: the start button stays disabled until the score line
  // has been written (the sort stage enables it again), so a new run never
  // resets the record that a running one still counts in.
  set_start_button_enabled(false);
  reset_evaluation();
  collect_processor_info();
  collect_drive_and_memory_info();
  collect_host_info();
  launch_addition_stage();
}

void quit_program() {
  // From here on no stage launches workers and no worker reports in, so none
  // of them touches the lock or the window again; the process ends without
  // waiting for the workers that are still computing.
  begin_shutdown();
  delete_lock(evaluation_state.lock_handle);
  destroy_window(main_window());
}
