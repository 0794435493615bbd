// The kernel32 function table, the message box and the fatal stops. A fatal
// stop can only be watched from outside: the test runs itself again as a
// child that meets the failure (a kernel32 entry the seam names missing, or
// memory running out), answers the child's message box and reads its exit
// code.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "harness.h"
#include "platform/seams.h"
#include "platform/win/fatal.h"
#include "platform/win/kernel32_table.h"
#include "platform/win/wide.h"

namespace {

constexpr char kChildFlag[] = "--call-kernel32=";
constexpr char kOutOfMemoryFlag[] = "--run-out-of-memory=";

const char* const kEntries[] = {"QueryPerformanceFrequency", "QueryPerformanceCounter", "IsWow64Process",
                                "GetLogicalDrives", "GetDriveTypeA"};

// The child: calls one entry, which the seam makes missing, and reports 0 if
// the call came back, which a missing entry must not.
int call_entry(const char* name) {
  seams::set_missing_kernel32_function(name);
  LARGE_INTEGER value = {};
  BOOL wow64 = FALSE;
  if (std::strcmp(name, "QueryPerformanceFrequency") == 0) k32::QueryPerformanceFrequency(&value);
  if (std::strcmp(name, "QueryPerformanceCounter") == 0) k32::QueryPerformanceCounter(&value);
  if (std::strcmp(name, "IsWow64Process") == 0) k32::IsWow64Process(GetCurrentProcess(), &wow64);
  if (std::strcmp(name, "GetLogicalDrives") == 0) k32::GetLogicalDrives();
  if (std::strcmp(name, "GetDriveTypeA") == 0) k32::GetDriveTypeA("C:\\");
  return 0;
}

// Where the child keeps the block it asks for, so the allocation is not optimised away.
char* volatile g_kept = nullptr;

// The child for memory running out: an allocation that cannot succeed, or a
// std::bad_alloc leaving a guarded handler. Reports 0 if it came back.
int run_out_of_memory(const char* how) {
  install_fatal_handlers();
  if (std::strcmp(how, "new") == 0) {
    volatile size_t huge = static_cast<size_t>(-1) / 2;
    g_kept = new char[huge];
  }
  if (std::strcmp(how, "guarded-throw") == 0) {
    guard_fatal([]() -> int { throw std::bad_alloc(); });
  }
  return 0;
}

std::wstring own_path() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

TEST(Kernel32Table, EveryEntryReachesKernel32) {
  LARGE_INTEGER frequency = {}, first = {}, second = {};
  EXPECT_TRUE(k32::QueryPerformanceFrequency(&frequency));
  EXPECT_GT(frequency.QuadPart, 0);
  EXPECT_TRUE(k32::QueryPerformanceCounter(&first));
  EXPECT_TRUE(k32::QueryPerformanceCounter(&second));  // the bound address, kept
  EXPECT_GE(second.QuadPart, first.QuadPart);
  BOOL wow64 = 2;
  EXPECT_TRUE(k32::IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_TRUE(wow64 == TRUE || wow64 == FALSE);
  EXPECT_EQ(k32::GetLogicalDrives(), GetLogicalDrives());
  EXPECT_NE(k32::GetLogicalDrives() & (1u << 2), 0u) << "drive C: exists";
  EXPECT_EQ(k32::GetDriveTypeA("C:\\"), static_cast<UINT>(DRIVE_FIXED));
  EXPECT_EQ(k32::GetDriveTypeA("C:\\"), GetDriveTypeA("C:\\"));
}

class MissingEntryTest : public ::testing::TestWithParam<const char*> {};

TEST_P(MissingEntryTest, ShowsLibraryAndFunctionThenEndsWithMinusOne) {
  const std::string name = GetParam();
  auto child = e2e::start_executable(own_path(), e2e::wide(kChildFlag + name));
  ASSERT_NE(child, nullptr);
  auto box = e2e::wait_message_box(*child);
  ASSERT_TRUE(box.has_value()) << "no message from the child";
  EXPECT_NE(box->text.find("kernel32.dll"), Text::npos) << box->text;
  EXPECT_NE(box->text.find(name), Text::npos) << box->text;
  EXPECT_TRUE(child->running()) << "the process waits for the message to be closed";
  e2e::answer_message_box(box->hwnd, IDOK);
  ASSERT_TRUE(e2e::wait_exit(*child));
  EXPECT_EQ(child->exit_code(), 0xFFFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Entries, MissingEntryTest, ::testing::ValuesIn(kEntries));

class OutOfMemoryTest : public ::testing::TestWithParam<const char*> {};

TEST_P(OutOfMemoryTest, ShowsTheMessageThenEndsWithMinusOne) {
  auto child = e2e::start_executable(own_path(), e2e::wide(std::string(kOutOfMemoryFlag) + GetParam()));
  ASSERT_NE(child, nullptr);
  auto box = e2e::wait_message_box(*child);
  ASSERT_TRUE(box.has_value()) << "no message from the child";
  EXPECT_NE(box->text.find("内存不足"), Text::npos) << box->text;
  e2e::answer_message_box(box->hwnd, IDOK);
  ASSERT_TRUE(e2e::wait_exit(*child));
  EXPECT_EQ(child->exit_code(), 0xFFFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Ways, OutOfMemoryTest, ::testing::Values("new", "guarded-throw"));

// Text from Windows in another code page (a host name in the system's ANSI
// code page) reaches the program's code page through UTF-16.
TEST(TextCrossing, BytesOfOtherCodePagesBecome936) {
  struct Row {
    const char* name;
    unsigned code_page;
    const char* bytes;
    const char* expected;  // code page 936 bytes
  };
  const Row rows[] = {
      {"plain ASCII name", 1252, "DESKTOP-01", "DESKTOP-01"},
      {"Western European u-umlaut", 1252, "M\xFCller-PC", "M\xA8\xB9ller-PC"},
      {"Japanese Shift-JIS kanji", 932, "\x93\x8C\x8B\x9E-PC", "\x96\x7C\xBE\xA9-PC"},
      {"Cyrillic", 1251, "\xCF\xCA-\xC8\xE2\xE0\xED", "\xA7\xB1\xA7\xAC-\xA7\xAA\xA7\xD3\xA7\xD1\xA7\xDF"},
      {"Chinese name already in 936", 936, "\xB2\xE2\xCA\xD4\xBB\xFA", "\xB2\xE2\xCA\xD4\xBB\xFA"},
      {"Korean Hangul, which 936 lacks", 949, "\xC7\xD1\xB1\xB9-PC",
       "?"
       "?-PC"},
      {"Central European, partly in 936", 1250,
       "\xC5\xF3"
       "d\x9F",
       "?\xA8\xAE"
       "d?"},
      {"empty name", 1252, "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(from_code_page(r.bytes, r.code_page), r.expected);
  }
}

TEST(MessageBox, MapsThePressedButton) {
  // The box is answered from a second thread; the first shows it.
  struct Case {
    unsigned style;
    int button;
    int expected;
  };
  const Case cases[] = {{MB_OK, IDOK, IDOK},
                        {MB_OKCANCEL, IDCANCEL, IDCANCEL},
                        {MB_ABORTRETRYIGNORE, IDABORT, IDABORT},
                        {MB_ABORTRETRYIGNORE, IDRETRY, IDRETRY},
                        {MB_ABORTRETRYIGNORE, IDIGNORE, IDIGNORE},
                        {MB_YESNO | MB_ICONQUESTION, IDYES, IDYES},
                        {MB_YESNO | MB_ICONQUESTION, IDNO, IDNO}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    std::atomic<bool> answered{false};
    std::thread answerer([&] {
      e2e::wait_until([&] {
        HWND box = FindWindowW(L"#32770", L"按钮测试");
        if (box == nullptr) return false;
        PostMessageW(GetDlgItem(box, c.button), BM_CLICK, 0, 0);
        answered = true;
        return true;
      });
    });
    const int result = message_box("请按按钮", "按钮测试", c.style);
    answerer.join();
    EXPECT_TRUE(answered.load());
    EXPECT_EQ(result, c.expected);
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kChildFlag, sizeof(kChildFlag) - 1) == 0) {
      return call_entry(argv[i] + sizeof(kChildFlag) - 1);
    }
    if (std::strncmp(argv[i], kOutOfMemoryFlag, sizeof(kOutOfMemoryFlag) - 1) == 0) {
      return run_out_of_memory(argv[i] + sizeof(kOutOfMemoryFlag) - 1);
    }
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
