// The copy button: the identity report on the clipboard (CF_TEXT bytes and
// CF_UNICODETEXT), the confirmation box, the processor id looked up once, the
// report after a run, a clipboard held by another process and a script host
// that cannot be created.
//
// The executable doubles as the other process: started with
// "--hold-clipboard <held event> <release event>" it opens the clipboard,
// signals, and keeps it open until told to let go.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <wbemidl.h>

#include <string>
#include <vector>

#include "harness.h"
#include "text/text.h"
#include "ui/control_ids.h"

using namespace ui_ids;

namespace {

const char kSmall[] = "300,300,100,3000";
const Text kFallbackId = "Get CPU SN failed！";

// The report as the design lays it out: nine pieces, nothing in between.
Text expected_report(const Text& when, const Text& id, const Text& computer, const Text& performance) {
  return "==========计算机标识信息==========\r\n\r\n测试（本机）时间:" + when + "\r\nCPU序列号:" + id +
         "\r\n\r\n==========计算机信息==========\r\n\r\n" + computer +
         "\r\n==========运算性能信息==========\r\n\r\n" + performance + "\r\n";
}

// The processor id of the first processor, asked of WMI directly.
Text wmi_processor_id() {
  Text id;
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWbemLocator* locator = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                 reinterpret_cast<void**>(&locator)))) {
    IWbemServices* services = nullptr;
    BSTR space = SysAllocString(L"ROOT\\CIMV2");
    if (SUCCEEDED(locator->ConnectServer(space, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services))) {
      CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
      BSTR language = SysAllocString(L"WQL");
      BSTR query = SysAllocString(L"SELECT ProcessorId FROM Win32_Processor");
      IEnumWbemClassObject* found = nullptr;
      if (SUCCEEDED(services->ExecQuery(language, query, WBEM_FLAG_FORWARD_ONLY, nullptr, &found))) {
        IWbemClassObject* processor = nullptr;
        ULONG count = 0;
        if (SUCCEEDED(found->Next(static_cast<LONG>(WBEM_INFINITE), 1, &processor, &count)) && count == 1) {
          VARIANT value;
          VariantInit(&value);
          if (SUCCEEDED(processor->Get(L"ProcessorId", 0, &value, nullptr, nullptr)) && value.vt == VT_BSTR &&
              value.bstrVal != nullptr) {
            id = e2e::narrow(value.bstrVal);
          }
          VariantClear(&value);
          processor->Release();
        }
        found->Release();
      }
      SysFreeString(language);
      SysFreeString(query);
      services->Release();
    }
    SysFreeString(space);
    locator->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return id;
}

struct Session {
  std::unique_ptr<e2e::Program> program;
  HWND main = nullptr;
  HWND computer = nullptr;
  HWND performance = nullptr;
  HWND copy = nullptr;
  std::wstring script_log;
};

::testing::AssertionResult open_session(Session& s, e2e::Environment environment) {
  s.script_log = e2e::fresh_temp_path("report-script");
  environment.push_back({"QUELMO_SEAM_SCRIPT_LOG", e2e::narrow(s.script_log)});
  environment.push_back({"QUELMO_SEAM_LOOPS", kSmall});
  s.program = e2e::start_program(environment);
  if (s.program == nullptr) return ::testing::AssertionFailure() << "program not started";
  s.main = e2e::wait_main_window(*s.program);
  if (s.main == nullptr) return ::testing::AssertionFailure() << "no main window";
  s.computer = e2e::find_control(s.main, 编辑框_计算机信息);
  s.performance = e2e::find_control(s.main, 编辑框_性能信息);
  s.copy = e2e::find_control(s.main, 按钮_复制到剪贴板);
  if (!s.computer || !s.performance || !s.copy) return ::testing::AssertionFailure() << "controls missing";
  return ::testing::AssertionSuccess();
}

void run_to_score(const Session& s) {
  e2e::click(e2e::find_control(s.main, 按钮_开始评估));
  auto confirmation = e2e::wait_message_box(*s.program);
  ASSERT_TRUE(confirmation.has_value());
  e2e::answer_message_box(confirmation->hwnd, IDYES);
  ASSERT_TRUE(e2e::wait_until(
      [&] { return e2e::window_text(s.performance).find("您的计算机评分： ") != Text::npos; }, 180000));
}

struct Copied {
  DateTime before = 0;   // the clock just before the click
  DateTime after = 0;    // and once the confirmation was seen
  Text text;             // CF_TEXT
  std::wstring unicode;  // CF_UNICODETEXT
};

// Clicks the copy button, checks the confirmation box, reads the clipboard
// while the box is open and dismisses the box.
::testing::AssertionResult copy_report(const Session& s, Copied& copied) {
  if (!e2e::clear_clipboard()) return ::testing::AssertionFailure() << "clipboard not cleared";
  copied.before = current_datetime();
  e2e::click(s.copy);
  auto box = e2e::wait_message_box(*s.program, 60000);
  copied.after = current_datetime();
  if (!box) return ::testing::AssertionFailure() << "no confirmation box";
  if (box->caption != "复制信息") return ::testing::AssertionFailure() << "caption " << box->caption;
  if (box->text != "信息已经复制，可以直接粘贴。")
    return ::testing::AssertionFailure() << "text " << box->text;
  copied.text = e2e::clipboard_text().value_or("(no CF_TEXT)");
  copied.unicode = e2e::clipboard_unicode_text().value_or(L"(no CF_UNICODETEXT)");
  EXPECT_EQ(box->text, "信息已经复制，可以直接粘贴。");
  e2e::answer_message_box(box->hwnd, IDOK);
  if (!e2e::wait_gone(box->hwnd)) return ::testing::AssertionFailure() << "the box stays";
  return ::testing::AssertionSuccess();
}

// The report with a time stamp of the moment of the copy (one second of
// leeway each side), or a failure naming what came instead.
::testing::AssertionResult is_report(const Copied& copied, const Text& id, const Text& computer,
                                     const Text& performance) {
  const DateTime second = 1.0 / 86400.0;
  for (DateTime t = copied.before - second; t <= copied.after + second * 1.5; t += second) {
    const Text expected = expected_report(datetime_to_text(t), id, computer, performance);
    if (copied.text == expected) {
      if (copied.unicode != e2e::wide(expected))
        return ::testing::AssertionFailure() << "CF_UNICODETEXT differs from CF_TEXT";
      return ::testing::AssertionSuccess();
    }
  }
  return ::testing::AssertionFailure()
         << "clipboard holds:\n"
         << copied.text << "\nexpected (time aside):\n"
         << expected_report(datetime_to_text(copied.before), id, computer, performance);
}

Text expected_id() {
  static const Text id = wmi_processor_id();
  return id.empty() ? kFallbackId : id;
}

TEST(IdentityReport, BeforeAnyRunTheReportHasEmptyBoxesAndTheIdIsLookedUpOnce) {
  Session s;
  ASSERT_TRUE(open_session(s, {}));
  Copied first;
  ASSERT_TRUE(copy_report(s, first));
  EXPECT_TRUE(is_report(first, expected_id(), "", ""));
  // Three line breaks between the two headings, three at the end.
  EXPECT_NE(first.text.find("==========\r\n\r\n\r\n==========运算性能信息"), Text::npos);
  EXPECT_EQ(first.text.substr(first.text.size() - 16), "==========\r\n\r\n\r\n");

  Copied second;
  ASSERT_TRUE(copy_report(s, second));
  EXPECT_TRUE(is_report(second, expected_id(), "", ""));
  if (expected_id() != kFallbackId) {
    EXPECT_EQ(e2e::read_file(s.script_log), "Getcpuid\r\n");
  }
  e2e::click(e2e::find_control(s.main, 按钮_退出));
  ASSERT_TRUE(e2e::wait_exit(*s.program));
  EXPECT_EQ(s.program->exit_code(), 0u);
}

TEST(IdentityReport, AfterARunBothBoxesAreInsideAndTheScriptRunsOnce) {
  Session s;
  ASSERT_TRUE(open_session(s, {}));
  run_to_score(s);
  const Text computer = e2e::window_text(s.computer);
  const Text performance = e2e::window_text(s.performance);
  ASSERT_FALSE(computer.empty());
  Copied first;
  ASSERT_TRUE(copy_report(s, first));
  EXPECT_TRUE(is_report(first, expected_id(), computer, performance));
  Copied second;
  ASSERT_TRUE(copy_report(s, second));
  EXPECT_TRUE(is_report(second, expected_id(), computer, performance));
  if (expected_id() != kFallbackId) {
    EXPECT_EQ(e2e::read_file(s.script_log), "getChassisType\r\nGetcpuid\r\n");
  }
  e2e::click(e2e::find_control(s.main, 按钮_退出));
  ASSERT_TRUE(e2e::wait_exit(*s.program));
}

TEST(IdentityReport, ClipboardHeldByAnotherProgram) {
  Session s;
  ASSERT_TRUE(open_session(s, {}));
  // Something of our own on the clipboard first.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 7);
  memcpy(GlobalLock(block), "before", 7);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();

  const std::wstring held_name = L"QuelmoReportHeld" + std::to_wstring(GetCurrentProcessId());
  const std::wstring release_name = L"QuelmoReportRelease" + std::to_wstring(GetCurrentProcessId());
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, held_name.c_str());
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, release_name.c_str());
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  auto holder = e2e::start_executable(self, L"--hold-clipboard " + held_name + L" " + release_name);
  ASSERT_NE(holder, nullptr);
  ASSERT_EQ(WaitForSingleObject(held, 20000), WAIT_OBJECT_0);

  // Held beyond the retries: a warning, not the confirmation.
  e2e::click(s.copy);
  auto box = e2e::wait_message_box(*s.program, 60000);
  ASSERT_TRUE(box.has_value()) << "no message while the clipboard is held";
  EXPECT_EQ(box->caption, "复制信息");
  EXPECT_EQ(box->text, "信息没有复制到剪贴板（剪贴板正被其他程序占用），请稍后再试一次。");
  EXPECT_EQ(e2e::message_box_icon(box->hwnd), IDI_WARNING);
  EXPECT_EQ(e2e::message_box_buttons(box->hwnd), std::vector<int>{IDOK});
  e2e::answer_message_box(box->hwnd, IDOK);
  ASSERT_TRUE(e2e::wait_gone(box->hwnd));
  // Still responsive.
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(s.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);

  SetEvent(release);
  ASSERT_TRUE(e2e::wait_exit(*holder));
  EXPECT_EQ(holder->exit_code(), 0u);
  EXPECT_EQ(e2e::clipboard_text().value_or(""), "before");  // the clipboard kept what it had

  // With the clipboard free again, the copy goes through.
  Copied copied;
  ASSERT_TRUE(copy_report(s, copied));
  EXPECT_TRUE(is_report(copied, expected_id(), "", ""));
  CloseHandle(held);
  CloseHandle(release);
  e2e::click(e2e::find_control(s.main, 按钮_退出));
  ASSERT_TRUE(e2e::wait_exit(*s.program));
}

// A clipboard that another program lets go of a moment after the click: the
// copy tries again and the report arrives.
TEST(IdentityReport, ClipboardBusyForAMoment) {
  Session s;
  ASSERT_TRUE(open_session(s, {}));
  Copied warm;  // the processor id is looked up once, so the next copy opens the clipboard at once
  ASSERT_TRUE(copy_report(s, warm));

  const std::wstring held_name = L"QuelmoReportHeldB" + std::to_wstring(GetCurrentProcessId());
  const std::wstring release_name = L"QuelmoReportReleaseB" + std::to_wstring(GetCurrentProcessId());
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, held_name.c_str());
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, release_name.c_str());
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  ASSERT_TRUE(e2e::clear_clipboard());
  auto holder = e2e::start_executable(self, L"--hold-clipboard " + held_name + L" " + release_name);
  ASSERT_NE(holder, nullptr);
  ASSERT_EQ(WaitForSingleObject(held, 20000), WAIT_OBJECT_0);

  Copied copied;
  copied.before = current_datetime();
  e2e::click(s.copy);
  Sleep(200);
  SetEvent(release);
  auto box = e2e::wait_message_box(*s.program, 60000);
  copied.after = current_datetime();
  ASSERT_TRUE(box.has_value());
  copied.text = e2e::clipboard_text().value_or("(no CF_TEXT)");
  copied.unicode = e2e::clipboard_unicode_text().value_or(L"(no CF_UNICODETEXT)");
  e2e::answer_message_box(box->hwnd, IDOK);
  EXPECT_TRUE(is_report(copied, expected_id(), "", ""));
  ASSERT_TRUE(e2e::wait_exit(*holder));
  CloseHandle(held);
  CloseHandle(release);
  e2e::click(e2e::find_control(s.main, 按钮_退出));
  ASSERT_TRUE(e2e::wait_exit(*s.program));
}

TEST(IdentityReport, WithoutAScriptControlTheIdFallsBackEveryTime) {
  Session s;
  ASSERT_TRUE(open_session(s, {{"QUELMO_SEAM_SCRIPT_CLASS", "NoSuch.Class"}}));
  run_to_score(s);
  const Text computer = e2e::window_text(s.computer);
  EXPECT_NE(computer.find("计算机类型：\t未知设备\r\n"), Text::npos) << computer;
  Copied first;
  ASSERT_TRUE(copy_report(s, first));
  EXPECT_TRUE(is_report(first, kFallbackId, computer, e2e::window_text(s.performance)));
  EXPECT_NE(first.text.find("\r\nCPU序列号:Get CPU SN failed\xA3\xA1\r\n"), Text::npos);
  Copied second;
  ASSERT_TRUE(copy_report(s, second));
  EXPECT_TRUE(is_report(second, kFallbackId, computer, e2e::window_text(s.performance)));
  // An empty answer never sticks: every copy asks again.
  EXPECT_EQ(e2e::read_file(s.script_log), "getChassisType\r\nGetcpuid\r\nGetcpuid\r\n");
  e2e::click(e2e::find_control(s.main, 按钮_退出));
  ASSERT_TRUE(e2e::wait_exit(*s.program));
}

// The other program: holds the clipboard open until told to let go.
int hold_clipboard(const wchar_t* held_name, const wchar_t* release_name) {
  HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, held_name);
  HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, release_name);
  if (held == nullptr || release == nullptr) return 2;
  // Opened for a window of its own: a clipboard opened without a window
  // Wine lets any other thread open as well, Windows does not.
  HWND owner =
      CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (owner == nullptr || !OpenClipboard(owner)) return 3;
  SetEvent(held);
  WaitForSingleObject(release, 120000);
  CloseClipboard();
  DestroyWindow(owner);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments != nullptr && count == 4 && std::wstring(arguments[1]) == L"--hold-clipboard") {
    return hold_clipboard(arguments[2], arguments[3]);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
