// The test seams of quelmo-eval-seams.exe, switched on by QUELMO_SEAM_*
// environment variables read once at start-up:
//   QUELMO_SEAM_LOOPS="a,m,l,s"    loop counts and sort size (0 keeps a value)
//   QUELMO_SEAM_MISSING_K32=<name> that kernel32 table entry is not found
//   QUELMO_SEAM_SCRIPT_CLASS=<name> the script host creates this class
//   QUELMO_SEAM_SCRIPT_LOG=<path>  each script function evaluated is appended
//   QUELMO_SEAM_SHELL_LOG=<path>   the blog address is appended instead of opened
//   QUELMO_SEAM_FAIL_MAIN_WINDOW=1 the main window's first control has a class
//                                  that does not exist, so the window cannot be made
#include "app/seams.h"

#include <windows.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "bench/test_hooks.h"
#include "platform/win/wide.h"

namespace {

struct SeamSettings {
  bool installed = false;
  bool has_missing_k32 = false;
  Text missing_k32;
  bool has_script_class = false;
  Text script_class;
  std::wstring script_log;
  std::wstring shell_log;
  bool fail_main_window = false;
};

SeamSettings& settings() {
  static SeamSettings s;
  return s;
}

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
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

namespace seams {

void install() {
  SeamSettings& s = settings();
  if (s.installed) return;
  s.installed = true;
  std::wstring value;
  if (read_variable(L"QUELMO_SEAM_LOOPS", value)) apply_loops(from_wide(value));
  if (read_variable(L"QUELMO_SEAM_MISSING_K32", value) && !value.empty()) {
    s.has_missing_k32 = true;
    s.missing_k32 = from_wide(value);
  }
  if (read_variable(L"QUELMO_SEAM_SCRIPT_CLASS", value) && !value.empty()) {
    s.has_script_class = true;
    s.script_class = from_wide(value);
  }
  if (read_variable(L"QUELMO_SEAM_SCRIPT_LOG", value)) s.script_log = value;
  if (read_variable(L"QUELMO_SEAM_SHELL_LOG", value)) s.shell_log = value;
  if (read_variable(L"QUELMO_SEAM_FAIL_MAIN_WINDOW", value)) s.fail_main_window = value == L"1";
}

const char* missing_kernel32_function() {
  const SeamSettings& s = settings();
  return s.has_missing_k32 ? s.missing_k32.c_str() : nullptr;
}

const char* script_class_name(const char* normal) {
  const SeamSettings& s = settings();
  return s.has_script_class ? s.script_class.c_str() : normal;
}

void note_script_evaluation(const Text& function_name) {
  const SeamSettings& s = settings();
  if (!s.script_log.empty()) append_to_file(s.script_log, function_name + "\r\n");
}

bool intercept_shell_open(const Text& address) {
  const SeamSettings& s = settings();
  if (s.shell_log.empty()) return false;
  append_to_file(s.shell_log, address + "\r\n");
  return true;
}

const wchar_t* first_control_class(const wchar_t* normal) {
  return settings().fail_main_window ? L"QuelmoNoSuchClass" : normal;
}

}  // namespace seams
