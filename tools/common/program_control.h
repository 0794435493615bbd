// Small helpers for the developer tools that drive quelmo-eval.exe from
// outside (the run command's driver and the program benchmark): start it,
// find its windows and controls, read texts, press buttons.
#pragma once

#include <windows.h>

#include <string>

namespace tool {

// Starts `program`; fills `process` (the caller closes it). False on failure.
bool start_program(const wchar_t* program, PROCESS_INFORMATION& process);

// A visible top-level window of process `pid` with this class; nullptr when
// none appeared within `timeout_ms`.
HWND wait_window(DWORD pid, const wchar_t* window_class, DWORD timeout_ms);

// The control with this id in `window` or in one of its direct children (the
// text boxes sit inside their group boxes).
HWND control(HWND window, int id);

// The window's text as UTF-16 ("" when it cannot be read within 5 s).
std::wstring text_of(HWND hwnd);

// Posts a click to a button.
void click(HWND button);

// Clicks Start and answers the confirmation box with Yes. False when the box
// did not appear.
bool start_evaluation(DWORD pid, HWND main_window);

// The words that mark the score line, as UTF-16 (您的计算机评分).
extern const wchar_t kScoreMark[];

}  // namespace tool
