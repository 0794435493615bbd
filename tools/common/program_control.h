// What the developer tools that drive quelmo-eval.exe from outside (the run
// command's driver and the program benchmark) add to the shared driver core
// (tests/support/program_driver.h): start the program, wait for a window, run
// an evaluation.
#pragma once

#include <windows.h>

#include <string>

#include "program_driver.h"

namespace tool {

using support::click;
using support::text_of;

// Starts `program`; fills `process` (the caller closes it). False on failure.
bool start_program(const wchar_t* program, PROCESS_INFORMATION& process);

// A visible top-level window of process `pid` with this class; nullptr when
// none appeared within `timeout_ms`.
HWND wait_window(DWORD pid, const wchar_t* window_class, DWORD timeout_ms);

// The control with this id in `window` or in one of its children (the text
// boxes sit inside their group boxes).
inline HWND control(HWND window, int id) { return support::find_control(window, id); }

// Clicks Start and answers the confirmation box with Yes. False when the box
// did not appear.
bool start_evaluation(DWORD pid, HWND main_window);

// The words that mark the score line, as UTF-16 (您的计算机评分).
extern const wchar_t kScoreMark[];

}  // namespace tool
