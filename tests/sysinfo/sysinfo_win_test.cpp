// The Windows half of the system information, run under Wine: the script host
// bridge with the real script control, the registry reads and the clipboard.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sysinfo/script_host.h"
#include "sysinfo/sysinfo_win.h"
#include "platform/seams.h"
#include "process_figures.h"

namespace {

// The script functions the bridge evaluated, in order (through the seam).
std::vector<Text> g_evaluations;
void record_evaluation(const Text& function_name) { g_evaluations.push_back(function_name); }

class WithOle : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  static void TearDownTestSuite() { OleUninitialize(); }
  void SetUp() override {
    seams::set_script_class("");
    g_evaluations.clear();
    seams::set_script_observer(record_evaluation);
  }
  void TearDown() override {
    seams::set_script_class("");
    seams::set_script_observer(nullptr);
  }
};

struct Evaluated {
  VARTYPE type;
  double number;
  Text text;
};

// Runs a one-function script "f" with `body` through the bridge, the way the
// collectors do: evaluate, convert, clear the value, clear the host.
Evaluated evaluate(const Text& body) {
  ScriptHost host;
  ScriptValue value = evaluate_script_function(host, "Function f()\r\n" + body + "\r\nEnd Function", "f");
  Evaluated result{value.type(), script_value_to_number(value), script_value_to_text(value)};
  script_value_clear(value);
  EXPECT_EQ(value.type(), VT_EMPTY);
  script_host_clear(host);
  EXPECT_EQ(host.object, nullptr);
  return result;
}

using ScriptBridge = WithOle;

TEST_F(ScriptBridge, ConversionsOfRealFunctionValues) {
  struct Case {
    const char* body;
    VARTYPE type;
    double number;
    const char* text;
  };
  const Case cases[] = {
      {"", VT_EMPTY, 0, ""},  // no value assigned
      {"f = Null", VT_NULL, 0, ""},
      {"f = CLng(3)", VT_I4, 3, "3"},
      {"f = 2.5", VT_R8, 2.5, "2.5"},
      {"f = \"12\"", VT_BSTR, 12, "12"},
      {"f = \"abc\"", VT_BSTR, 0, "abc"},
      {"f = \"\"", VT_BSTR, 0, ""},
      {"f = \"处理器\"", VT_BSTR, 0, "处理器"},  // code page 936 both ways
      {"f = Array(1, 2)", VT_ARRAY | VT_VARIANT, 0, ""},
      {"f = 1 / 0", VT_EMPTY, 0, ""},  // the function raises an error
  };
  for (const Case& c : cases) {
    Evaluated e = evaluate(c.body);
    EXPECT_EQ(e.type, c.type) << c.body;
    EXPECT_EQ(e.number, c.number) << c.body;
    EXPECT_EQ(e.text, c.text) << c.body;
  }
}

TEST_F(ScriptBridge, ATextArgumentReachesTheScript) {
  ScriptHost host;
  ASSERT_TRUE(script_host_create(host, "ScriptControl"));
  ASSERT_TRUE(script_host_set_property(host, "Language", "VBScript"));
  ScriptValue value = script_host_call(host, "Eval", {"\"机\" & Len(\"ab\") & \"型\""});
  EXPECT_EQ(script_value_to_text(value), "机2型");
  script_value_clear(value);
  script_host_clear(host);
}

TEST_F(ScriptBridge, SyntaxErrorGivesEmpty) {
  Evaluated e = evaluate("f = (1 +");
  EXPECT_EQ(e.type, VT_EMPTY);
  EXPECT_EQ(e.number, 0);
  EXPECT_EQ(e.text, "");
}

TEST_F(ScriptBridge, UnregisteredClassGivesEmptyAndEveryStepFails) {
  seams::set_script_class("NoSuch.Class");
  Evaluated e = evaluate("f = 7");
  EXPECT_EQ(e.type, VT_EMPTY);
  EXPECT_EQ(e.text, "");
  EXPECT_EQ(g_evaluations, std::vector<Text>{"f"});

  ScriptHost host;
  EXPECT_FALSE(script_host_create(host, "NoSuch.Class"));
  EXPECT_EQ(host.object, nullptr);
  EXPECT_FALSE(script_host_set_property(host, "Language", "VBScript"));
  ScriptValue value = script_host_call(host, "Run", {"f"});
  EXPECT_EQ(value.type(), VT_EMPTY);
  script_value_clear(value);
}

// Evaluate and convert in one call, the way the collectors and the copy use it.
TEST_F(ScriptBridge, EvaluateAndConvertInOneCall) {
  const Text script =
      "Function f()\r\nf = \"机\" & 2\r\nEnd Function\r\nFunction g()\r\ng = 7\r\nEnd Function";
  EXPECT_EQ(evaluate_script_text(script, "f"), "机2");
  EXPECT_EQ(evaluate_script_number(script, "g"), 7);
  EXPECT_EQ(evaluate_script_number(script, "NoSuchFunction"), 0);
  seams::set_script_class("NoSuch.Class");
  EXPECT_EQ(evaluate_script_text(script, "f"), "");
  EXPECT_EQ(g_evaluations, (std::vector<Text>{"f", "g", "NoSuchFunction", "f"}));
}

TEST_F(ScriptBridge, AFailedCreationKeepsTheObjectHeld) {
  ScriptHost host;
  ASSERT_TRUE(script_host_create(host, "ScriptControl"));
  IUnknown* held = host.object;
  EXPECT_FALSE(script_host_create(host, "NoSuch.Class"));
  EXPECT_EQ(host.object, held);
  EXPECT_FALSE(script_host_set_property(host, "NoSuchProperty", "x"));
  ScriptValue value = script_host_call(host, "NoSuchMethod", {});
  EXPECT_EQ(value.type(), VT_EMPTY);
  script_host_clear(host);
  script_host_clear(host);  // twice is harmless
  EXPECT_EQ(host.object, nullptr);
  ScriptHost never_used;
  script_host_clear(never_used);
  EXPECT_EQ(never_used.object, nullptr);
}

TEST_F(ScriptBridge, ClassByClsidInBraces) {
  Text clsid = read_registry_text(HKEY_CLASSES_ROOT, "ScriptControl\\CLSID\\");
  ASSERT_EQ(clsid.substr(0, 1), "{");
  ScriptHost host;
  ASSERT_TRUE(script_host_create(host, clsid));
  EXPECT_TRUE(script_host_set_property(host, "Language", "VBScript"));
  script_host_clear(host);
}

TEST_F(ScriptBridge, EachEvaluationIsNotedOnce) {
  evaluate("f = 1");
  evaluate("f = 2");
  EXPECT_EQ(g_evaluations, (std::vector<Text>{"f", "f"}));
}

// Kernel handles of this process.
size_t open_handles() { return support::handle_count(GetCurrentProcess()); }

// Everything an evaluation creates is released with the value and the host:
// many evaluations leave no handle behind. (A script that connects to WMI does
// leave two per connection under Wine 8, inside Wine's WMI provider; the
// program connects once per run and once per copy until the id is cached.)
TEST_F(ScriptBridge, EvaluationsLeaveNoHandleBehind) {
  evaluate("f = 1");  // the script engine's one-time set-up
  const size_t before = open_handles();
  for (int i = 0; i < 20; ++i) {
    const Evaluated e = evaluate("f = Array(1, \"two\")");
    EXPECT_EQ(e.type, VT_ARRAY | VT_VARIANT);
  }
  EXPECT_EQ(open_handles(), before);
}

// ---- Registry ----------------------------------------------------------------------

class Registry : public ::testing::Test {
 protected:
  static constexpr const wchar_t* key = L"Software\\QuelmoSysinfoTest\\open\\command";
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuelmoSysinfoTest");
    HKEY handle;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
        ERROR_SUCCESS);
    set_text(handle, nullptr, REG_SZ, L"\"C:\\Program Files\\浏览器\\run.exe\" -nohome");
    set_text(handle, L"plain", REG_SZ, L"%QUELMO_SYSINFO_DIR%\\b.exe");
    set_text(handle, L"expand", REG_EXPAND_SZ, L"%QUELMO_SYSINFO_DIR%\\b.exe");
    set_text(handle, L"multi", REG_MULTI_SZ, L"a\0b\0");
    DWORD number = 7;
    RegSetValueExW(handle, L"number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(handle);
    SetEnvironmentVariableW(L"QUELMO_SYSINFO_DIR", L"D:\\程序");
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuelmoSysinfoTest"); }
  static void set_text(HKEY handle, const wchar_t* name, DWORD type, const wchar_t* text) {
    size_t length = type == REG_MULTI_SZ ? 5 : wcslen(text) + 1;
    RegSetValueExW(handle, name, 0, type, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(length * sizeof(wchar_t)));
  }
};

TEST_F(Registry, ValuesByType) {
  struct Case {
    const char* path;
    const char* text;
  };
  const Case cases[] = {
      {"Software\\QuelmoSysinfoTest\\open\\command\\", "\"C:\\Program Files\\浏览器\\run.exe\" -nohome"},
      {"Software\\QuelmoSysinfoTest\\open\\command\\plain", "%QUELMO_SYSINFO_DIR%\\b.exe"},
      {"Software\\QuelmoSysinfoTest\\open\\command\\expand", "D:\\程序\\b.exe"},
      {"Software\\QuelmoSysinfoTest\\open\\command\\number", ""},
      {"Software\\QuelmoSysinfoTest\\open\\command\\multi", ""},
      {"Software\\QuelmoSysinfoTest\\open\\command\\missing", ""},
      {"Software\\QuelmoSysinfoTest\\no\\such\\key\\", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(read_registry_text(HKEY_CURRENT_USER, c.path), c.text) << c.path;
}

// The browser command is read under HKEY_CLASSES_ROOT by a key name with a
// leading backslash, which the system accepts there.
TEST(RegistryClassesRoot, KeyNameWithLeadingBackslash) {
  HKEY handle;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"QuelmoSysinfoTest\\shell\\open\\command", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &handle, nullptr),
            ERROR_SUCCESS);
  const wchar_t command[] = L"\"C:\\Program Files\\Web\\web.exe\" \"%1\"";
  RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command), sizeof command);
  RegCloseKey(handle);
  EXPECT_EQ(read_registry_text(HKEY_CLASSES_ROOT, "\\QuelmoSysinfoTest\\shell\\open\\command\\"),
            "\"C:\\Program Files\\Web\\web.exe\" \"%1\"");
  EXPECT_EQ(read_registry_text(HKEY_CLASSES_ROOT, "\\QuelmoSysinfoTest\\shell\\nothing\\"), "");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"QuelmoSysinfoTest");
}

// ---- Clipboard -----------------------------------------------------------------------

Text clipboard_bytes(UINT format) {
  Text bytes;
  if (!OpenClipboard(nullptr)) return "(not opened)";
  if (HANDLE data = GetClipboardData(format)) {
    const char* p = static_cast<const char*>(GlobalLock(data));
    bytes.assign(p, GlobalSize(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return bytes;
}

TEST(Clipboard, TextUnicodeAndLocale) {
  const Text report = "==========计算机信息==========\r\nCPU序列号:Get CPU SN failed！\r\n";
  ASSERT_TRUE(place_on_clipboard(report));
  Text text = clipboard_bytes(CF_TEXT);
  ASSERT_GE(text.size(), report.size() + 1);
  EXPECT_EQ(text.substr(0, report.size() + 1), report + '\0');

  Text unicode = clipboard_bytes(CF_UNICODETEXT);
  std::wstring wide = L"==========计算机信息==========\r\nCPU序列号:Get CPU SN failed！\r\n";
  ASSERT_GE(unicode.size(), (wide.size() + 1) * 2);
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(unicode.data()), wide.size()), wide);

  Text locale = clipboard_bytes(CF_LOCALE);
  ASSERT_GE(locale.size(), sizeof(LCID));
  EXPECT_EQ(*reinterpret_cast<const LCID*>(locale.data()), 0x0804u);
}

// ---- Host --------------------------------------------------------------------------------

TEST(Host, NameAsTheSystemHasIt) {
  char expected[256] = {};
  Text name = host_name();  // starts the sockets
  ASSERT_EQ(gethostname(expected, sizeof expected), 0);
  EXPECT_EQ(name, expected);
  EXPECT_FALSE(name.empty());
}

}  // namespace
