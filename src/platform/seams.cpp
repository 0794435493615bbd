#include "platform/seams.h"

namespace seams {
namespace {
Text g_missing_kernel32_function;
Text g_script_class;
ScriptObserver g_script_observer = nullptr;
ShellOpener g_shell_opener = nullptr;
bool g_fail_main_window = false;
}  // namespace

void set_missing_kernel32_function(const Text& name) { g_missing_kernel32_function = name; }
const Text& missing_kernel32_function() { return g_missing_kernel32_function; }

void set_script_class(const Text& name) { g_script_class = name; }
Text script_class_name(const Text& normal) { return g_script_class.empty() ? normal : g_script_class; }

void set_script_observer(ScriptObserver observer) { g_script_observer = observer; }
void note_script_evaluation(const Text& function_name) {
  if (g_script_observer != nullptr) g_script_observer(function_name);
}

void set_shell_opener(ShellOpener opener) { g_shell_opener = opener; }
bool intercept_shell_open(const Text& address) {
  if (g_shell_opener == nullptr) return false;
  g_shell_opener(address);
  return true;
}

void set_fail_main_window(bool fail) { g_fail_main_window = fail; }
bool fail_main_window() { return g_fail_main_window; }

}  // namespace seams
