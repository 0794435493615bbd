// The program's two top-level windows and the operations on them. All of these
// run on the main thread.
#pragma once

#include <windows.h>

#include "text/text.h"

enum class Window { main, about };  // MainWindow, AboutWindow

// Creates the window with its controls, runs its creation handler and shows
// it; when it is already open (and not about to be destroyed) brings it to the
// front instead, restoring it if minimised. Not modal, no owner. Returns
// whether the window is open afterwards.
bool load_window(Window window);

// Asks for the window to be destroyed and returns at once; the main thread's
// message loop destroys it. Does nothing when the window is not open.
void destroy_window(Window window);

// The window's handle while it exists, else nullptr.
HWND window_handle(Window window);

// Why the last window that could not be created failed, for the user: what
// could not be made and the Windows error code. Empty after a success.
Text window_creation_failure();

// Whether any window of the program is open.
bool any_window_open();

// Keyboard handling of the windows (Esc, Enter, Tab), called by the message
// loop for every message before it is dispatched. Returns true when the
// message has been handled and must not be dispatched.
bool handle_window_key(const MSG& msg);
