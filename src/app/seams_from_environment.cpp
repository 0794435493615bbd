// The seam build of the program (quelmo-eval-seams.exe, driven only by the
// end-to-end tests): its start switches test seams on from QUELMO_SEAM_*
// environment variables, then runs the program as shipped.
//   QUELMO_SEAM_LOOPS="a,m,l,s"      loop counts and sort size (0 keeps a value)
//   QUELMO_SEAM_MISSING_K32=<name>   that kernel32 table entry is not found
//   QUELMO_SEAM_SCRIPT_CLASS=<name>  the script host creates this class
//   QUELMO_SEAM_SCRIPT_LOG=<path>    each script function evaluated is appended
//   QUELMO_SEAM_SHELL_LOG=<path>     the blog address is appended instead of opened
//   QUELMO_SEAM_FAIL_MAIN_WINDOW=1   the main window's first control has a class
//                                    that does not exist, so the window cannot be made
#include <windows.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "app/program.h"
#include "bench/test_hooks.h"
#include "platform/seams.h"
#include "platform/win/wide.h"

namespace {

std::wstring g_script_log;
std::wstring g_shell_log;

std::mutex& log_mutex() {
  static std::mutex m;
  return m;
}

// The variable's value, or false when it is not set.
bool read_variable(const wchar_t* name, std::wstring& value) {
  const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0) return false;
  value.assign(needed, L'\0');
  const DWORD got = GetEnvironmentVariableW(name, value.data(), needed);
  value.resize(got < needed ? got : 0);
  return true;
}

// "a,m,l,s": four whole numbers; a missing or unreadable one counts as 0.
void apply_loops(const Text& spec) {
  int32_t sizes[4] = {0, 0, 0, 0};
  const char* p = spec.c_str();
  for (int i = 0; i < 4 && *p != '\0'; ++i) {
    char* end = nullptr;
    const long value = std::strtol(p, &end, 10);
    if (end != p && value > 0) sizes[i] = static_cast<int32_t>(value);
    p = end;
    while (*p != '\0' && *p != ',') ++p;
    if (*p == ',') ++p;
  }
  bench_test::set_sizes(sizes[0], sizes[1], sizes[2], sizes[3]);
}

void append_to_file(const std::wstring& path, const Text& bytes) {
  std::lock_guard<std::mutex> hold(log_mutex());
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void log_script_evaluation(const Text& function_name) {
  append_to_file(g_script_log, function_name + "\r\n");
}

void log_shell_open(const Text& address) { append_to_file(g_shell_log, address + "\r\n"); }

void install_seams_from_environment() {
  std::wstring value;
  if (read_variable(L"QUELMO_SEAM_LOOPS", value)) apply_loops(from_wide(value));
  if (read_variable(L"QUELMO_SEAM_MISSING_K32", value))
    seams::set_missing_kernel32_function(from_wide(value));
  if (read_variable(L"QUELMO_SEAM_SCRIPT_CLASS", value)) seams::set_script_class(from_wide(value));
  if (read_variable(L"QUELMO_SEAM_SCRIPT_LOG", value) && !value.empty()) {
    g_script_log = value;
    seams::set_script_observer(log_script_evaluation);
  }
  if (read_variable(L"QUELMO_SEAM_SHELL_LOG", value) && !value.empty()) {
    g_shell_log = value;
    seams::set_shell_opener(log_shell_open);
  }
  if (read_variable(L"QUELMO_SEAM_FAIL_MAIN_WINDOW", value)) seams::set_fail_main_window(value == L"1");
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  install_seams_from_environment();
  end_process(program_main());
}
