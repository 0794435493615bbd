// The program's test seams for the sysinfo Windows tests: the script class can
// be swapped and every evaluation is recorded.
#include "tests_sysinfo_seams.h"

#include "app/seams.h"

namespace sysinfo_test {
const char* script_class = nullptr;
std::vector<Text> evaluations;
}  // namespace sysinfo_test

namespace seams {
void install() {}
const char* missing_kernel32_function() { return nullptr; }
const char* script_class_name(const char* normal) {
  return sysinfo_test::script_class != nullptr ? sysinfo_test::script_class : normal;
}
void note_script_evaluation(const Text& function_name) { sysinfo_test::evaluations.push_back(function_name); }
bool intercept_shell_open(const Text&) { return false; }
const wchar_t* first_control_class(const wchar_t* normal) { return normal; }
}  // namespace seams
