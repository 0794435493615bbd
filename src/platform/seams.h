// Test seams of the program: switches that the tests, or the seam build of
// the program at its start, set before anything runs. All are off unless set;
// the shipped program sets none and reads nothing to set them.
#pragma once

#include "text/text.h"

namespace seams {

// A kernel32 table entry to treat as missing ("" : none).
void set_missing_kernel32_function(const Text& name);
const Text& missing_kernel32_function();

// The class the script host creates instead of the script control ("": the
// normal one).
void set_script_class(const Text& name);
Text script_class_name(const Text& normal);

// Told the name of each script function the bridge evaluates.
using ScriptObserver = void (*)(const Text& function_name);
void set_script_observer(ScriptObserver observer);
void note_script_evaluation(const Text& function_name);

// Takes over opening an address in the shell (nothing is opened) when set.
using ShellOpener = void (*)(const Text& address);
void set_shell_opener(ShellOpener opener);
// Whether the opener took the address.
bool intercept_shell_open(const Text& address);

// The main window's first control gets a class that does not exist, so the
// window cannot be made.
void set_fail_main_window(bool fail);
bool fail_main_window();

}  // namespace seams
