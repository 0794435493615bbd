// quelmo-drive: drives quelmo-eval.exe for the run command when there is no
// display to look at. It starts the program, waits for its window, optionally
// runs one evaluation (Start, Yes, wait for the score line), prints both boxes
// as UTF-8, announces the window's rectangle so the caller can take a
// screenshot, waits until the caller has made the file GO-FILE (when given),
// then presses Exit and returns the program's exit code.
//
//   quelmo-drive.exe [--evaluate] [--go-file GO-FILE] PROGRAM.exe
//
// Output lines: "SHOT x y width height" (then it waits for GO-FILE),
// the two boxes between "---- 计算机信息" / "---- 运算性能信息" headings, and
// "EXIT code" at the end. Errors go to standard error; the exit code is then 2.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/program_control.h"
#include "ui/control_ids.h"

namespace {

const wchar_t kTitle[] =
    L"Quelmo\x8BA1\x7B97\x673A\x6027\x80FD\x8BC4\x4F30\x5DE5\x5177";  // Quelmo计算机性能评估工具

void print_utf8(FILE* stream, const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string bytes(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr,
                      nullptr);
  std::string unix_lines;
  for (char c : bytes)
    if (c != '\r') unix_lines += c;
  std::fwrite(unix_lines.data(), 1, unix_lines.size(), stream);
}

int fail(const char* what) {
  std::fprintf(stderr, "quelmo-drive: %s\n", what);
  return 2;
}

// Whether the program has ended; if so, says `when` with its exit code and
// reports the code to the caller.
bool ended_early(HANDLE process, const char* when) {
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code) || code == STILL_ACTIVE) return false;
  std::fprintf(stderr, "quelmo-drive: the program ended %s, with exit code %lu\n", when,
               static_cast<unsigned long>(code));
  std::printf("EXIT %ld\n", static_cast<long>(code));
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  bool evaluate = false;
  const wchar_t* program = nullptr;
  const wchar_t* go_file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (wcscmp(argv[i], L"--evaluate") == 0)
      evaluate = true;
    else if (wcscmp(argv[i], L"--go-file") == 0 && i + 1 < argc)
      go_file = argv[++i];
    else
      program = argv[i];
  }
  if (!program) return fail("usage: quelmo-drive.exe [--evaluate] [--go-file GO-FILE] PROGRAM.exe");

  using namespace tool;
  PROCESS_INFORMATION pi{};
  if (!start_program(program, pi)) return fail("cannot start the program");

  HWND main = nullptr;
  const DWORD waiting_since = GetTickCount();
  while (!main) {
    main = wait_window(pi.dwProcessId, ui_ids::kMainWindowClass, 100);
    if (main) break;
    // The program may stop before its window appears: with a message (its
    // fatal stop), or at once. Either way say what happened.
    if (HWND box = wait_window(pi.dwProcessId, L"#32770", 0)) {
      std::fprintf(stderr,
                   "quelmo-drive: the program stopped with this message instead of showing its window:\n");
      print_utf8(stderr, text_of(GetDlgItem(box, 0xFFFF)) + L"\n");
      click(GetDlgItem(box, IDOK));
      WaitForSingleObject(pi.hProcess, 10000);
    }
    if (ended_early(pi.hProcess, "before its window appeared")) return 2;
    if (GetTickCount() - waiting_since > 60000) return fail("the main window did not appear within 60 s");
  }
  wchar_t title[128] = {};
  GetWindowTextW(main, title, 128);
  if (wcscmp(title, kTitle) != 0) return fail("the main window has an unexpected title");

  HWND info = control(main, ui_ids::编辑框_计算机信息);
  HWND perf = control(main, ui_ids::编辑框_性能信息);
  if (evaluate) {
    if (!start_evaluation(pi.dwProcessId, main)) return fail("the confirmation box did not appear");
    std::fprintf(stderr, "quelmo-drive: evaluating, this takes a while...\n");
    DWORD start = GetTickCount();
    while (text_of(perf).find(kScoreMark) == std::wstring::npos) {
      if (GetTickCount() - start > 30u * 60u * 1000u) return fail("no score after 30 minutes");
      if (ended_early(pi.hProcess, "during the run")) return 2;
      Sleep(200);
    }
  }

  std::printf("---- \xE8\xAE\xA1\xE7\xAE\x97\xE6\x9C\xBA\xE4\xBF\xA1\xE6\x81\xAF\n");  // 计算机信息
  print_utf8(stdout, text_of(info));
  std::printf(
      "---- \xE8\xBF\x90\xE7\xAE\x97\xE6\x80\xA7\xE8\x83\xBD\xE4\xBF\xA1\xE6\x81\xAF\n");  // 运算性能信息
  print_utf8(stdout, text_of(perf));

  RECT r{};
  GetWindowRect(main, &r);
  std::printf("SHOT %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  std::fflush(stdout);
  if (go_file) {
    DWORD start = GetTickCount();
    while (GetFileAttributesW(go_file) == INVALID_FILE_ATTRIBUTES) {
      if (GetTickCount() - start > 120000) return fail("nobody took the screenshot");
      Sleep(100);
    }
  }

  click(control(main, ui_ids::按钮_退出));
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0)
    return fail("the program did not end after Exit");
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  std::printf("EXIT %ld\n", static_cast<long>(code));
  std::fflush(stdout);
  return static_cast<int>(code);
}
