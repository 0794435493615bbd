// What the two window files and window.cpp share.
#pragma once

#include <windows.h>

#include "ui/window.h"

// Private messages of the windows.
inline constexpr UINT kDestroyRequest = WM_APP + 1;     // destroy_window
inline constexpr UINT kEnableStartButton = WM_APP + 2;  // wParam: enable
inline constexpr UINT kAppendToBox = WM_APP + 3;        // wParam: Box, lParam: const std::wstring*

// Creates the window and its controls; nullptr when that fails.
HWND create_main_window();
HWND create_about_window();

// A window's creation records what failed (`what`, e.g. "控件“关于”") with
// the error Windows gave for it.
void note_creation_failure(const Text& what, DWORD error);

// Each top-level window calls this from WM_NCDESTROY.
void top_window_destroyed(Window window);

// The program's icon (resource 1), or the system's application icon when the
// executable carries none.
HICON program_icon();

// Registers a top-level window class of the program (button-face background,
// the program's icon) the first time it is asked for; false if that fails.
bool register_window_class(const wchar_t* name, WNDPROC procedure);

// Top-left corner that centres a window of the given outer size on the
// primary screen, in whole pixels.
POINT centred_position(int width, int height);

// The window's controls that Tab visits, in order, and those that Enter
// clicks: a focused one of `enter_buttons` is clicked; otherwise the first
// enabled of `default_buttons` (may be empty).
struct KeyTable {
  const HWND* tab_order;
  int tab_count;
  const HWND* enter_buttons;
  int enter_count;
  const HWND* default_buttons;
  int default_count;
};

// Tab, Shift+Tab and Enter for a window described by `keys`. Returns whether
// the key was one of those.
bool handle_navigation_key(const KeyTable& keys, const MSG& msg);
