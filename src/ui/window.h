// Loading and destroying the program's top-level windows, and their keys. All
// of these run on the main thread. A window is named by its definition
// (main_window() in ui/main_window.h, about_window() in ui/about_window.h).
#pragma once

#include <windows.h>

#include "text/text.h"

struct WindowDefinition;

// Creates the window with its controls, runs its creation handler (which is
// given `creation_data`) and shows it; when it is already open (and not about
// to be destroyed) brings it to the front instead, restoring it if minimised.
// Not modal, no owner. Returns whether the window is open afterwards.
bool load_window(const WindowDefinition& window, const void* creation_data = nullptr);

// Asks for the window to be destroyed and returns at once; the main thread's
// message loop destroys it. Does nothing when the window is not open.
void destroy_window(const WindowDefinition& window);

// Why the last window that could not be created failed, for the user: what
// could not be made and the Windows error code. Empty after a success.
Text window_creation_failure();

// Whether any window of the program is open.
bool any_window_open();

// Called whenever one of the windows has been destroyed (not when load_window
// replaces one at once).
void set_window_destroyed_handler(void (*handler)());

// Keyboard handling of the windows (Esc, Enter, Tab), called by the message
// loop for every message before it is dispatched. Returns true when the
// message has been handled and must not be dispatched.
bool handle_window_key(const MSG& msg);
