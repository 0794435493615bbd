// The core of driving the program from outside, shared by the end-to-end
// harness and the developer tools (the run command's driver, the program
// benchmark): start a process, find its windows and controls, read their
// texts, press buttons.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace support {

// Starts `path` with `arguments` (may be empty), in `folder` (nullptr: this
// one) with the UTF-16 `environment` block (nullptr: this one's). The thread
// handle is closed; the caller owns the process handle. False on failure.
bool start_process(const std::wstring& path, const std::wstring& arguments, const wchar_t* environment,
                   const wchar_t* folder, PROCESS_INFORMATION& process);

// The visible top-level windows of process `pid` with this class, front to back.
std::vector<HWND> top_windows(DWORD pid, const wchar_t* window_class);

// The control with this id in `window`, at any depth (the text boxes sit
// inside their group boxes); nullptr when there is none.
HWND find_control(HWND window, int id);

// The window's text as UTF-16 ("" when it cannot be read within `timeout_ms`).
std::wstring text_of(HWND hwnd, UINT timeout_ms = 5000);

// Posts a click to a button.
void click(HWND button);

}  // namespace support
