// What every window of the program is made of: its template (a table of
// controls), its state, and the few handlers of its own that the shared
// scaffolding (window.cpp) calls. The scaffolding creates the controls,
// finds them by id, keeps the keyboard focus across activations, carries out
// destroy requests and passes keys on.
#pragma once

#include <windows.h>

#include <atomic>

#include "text/text.h"

// Private messages of the windows.
inline constexpr UINT kDestroyRequest = WM_APP + 1;     // destroy_window
inline constexpr UINT kEnableStartButton = WM_APP + 2;  // wParam: enable
inline constexpr UINT kAppendToBox = WM_APP + 3;        // wParam: Box, lParam: const std::wstring*
inline constexpr UINT kSetBoxText = WM_APP + 4;         // wParam: Box, lParam: const std::wstring*
inline constexpr UINT kGetBoxText = WM_APP + 5;         // wParam: Box, lParam: std::wstring* to fill

// One control of a window's template. A control whose parent is another
// control (a box inside its group box) is created after its parent.
struct ControlSpec {
  int id;
  const wchar_t* window_class;
  DWORD style;
  DWORD ex_style;
  int parent_id;  // 0: the window itself
  int left, top, width, height;
  const char* text;  // nullptr: empty, the window fills it in
};

inline constexpr int kMaxControls = 16;

// A window while it exists. Only `hwnd` is read by other threads.
struct WindowState {
  std::atomic<HWND> hwnd{nullptr};
  bool destroy_pending = false;
  HWND controls[kMaxControls] = {};
  HWND saved_focus = nullptr;  // the control to give the focus back to
};

struct WindowDefinition {
  const wchar_t* class_name;
  const char* title;
  DWORD style;        // WS_OVERLAPPED | WS_CAPTION ...; always WS_EX_APPWINDOW, no owner
  int width, height;  // outer size; the window opens centred on the screen
  const ControlSpec* controls;
  int control_count;
  int first_focus_id;     // the control that has the focus when the window opens
  int fallback_focus_id;  // where the focus goes when that one is disabled (0: none)
  WindowState* state;
  // The window's own part of WM_CREATE, once the controls exist (fonts,
  // texts); `creation_data` is what load_window was given. False fails the
  // creation.
  bool (*created)(HWND window, const void* creation_data);
  // The messages the window handles itself; true when handled, with `result`.
  bool (*handle)(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // WM_NCDESTROY: what the window made for itself goes (fonts).
  void (*destroyed)();
  // Keys of the window (Esc, Tab, Enter) before they are dispatched; true
  // when the key has been handled.
  bool (*key)(const MSG& msg);
  // The class to create control `index` with (nullptr: the template's).
  const wchar_t* (*control_class)(int index, const wchar_t* normal);
};

// The control of the window with this id (nullptr while there is none).
HWND control(const WindowDefinition& window, int id);

// A window's creation records what failed (`what`, e.g. "控件“关于”") with
// the error Windows gave for it.
void note_creation_failure(const Text& what, DWORD error);

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

// Black text on `background`, and the brush to fill with.
LRESULT black_on(HDC dc, COLORREF background, HBRUSH brush);
