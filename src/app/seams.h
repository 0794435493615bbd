// Test seams of the program. quelmo-eval.exe links no_seams.cpp, where every
// seam is off; quelmo-eval-seams.exe, used only by the end-to-end tests, links
// seams.cpp, which switches them on from QUELMO_SEAM_* environment variables.
#pragma once

#include "text/text.h"

namespace seams {
// Called first thing in program_main.
void install();
// A kernel32 function name to treat as missing (nullptr: none).
const char* missing_kernel32_function();
// The class name the script host creates ("ScriptControl" normally).
const char* script_class_name(const char* normal);
// Called each time a script function is evaluated through the bridge.
void note_script_evaluation(const Text& function_name);
// Returns true when the seam took over opening `address` (nothing is opened).
bool intercept_shell_open(const Text& address);
// The window class to create the main window's first control with (`normal`
// unless the seam makes that creation fail).
const wchar_t* first_control_class(const wchar_t* normal);
}  // namespace seams
