// The computer information box after a confirmed start: twelve lines in
// order, their labels and units byte for byte, and values compared with what
// this test finds out about the machine by its own means.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "harness.h"
#include "run_session.h"
#include "sysinfo/sysinfo_core.h"
#include "text/text.h"
#include "ui/control_ids.h"

using namespace ui_ids;

namespace {

const char kSmall[] = "300,300,100,3000";

// The value between "label\t" and "unit\r\n"; fails when the line has another
// label or unit.
::testing::AssertionResult value_of(const Text& line, const Text& label, const Text& unit, Text& value) {
  const Text head = label + "\t";
  const Text tail = unit + "\r\n";
  if (line.size() < head.size() + tail.size() || line.compare(0, head.size(), head) != 0 ||
      line.compare(line.size() - tail.size(), tail.size(), tail) != 0)
    return ::testing::AssertionFailure() << "line '" << line << "' is not '" << head << "...'" << tail;
  value = line.substr(head.size(), line.size() - head.size() - tail.size());
  return ::testing::AssertionSuccess();
}

// A field of /proc/cpuinfo (the first processor), read through Wine's Z: drive.
std::string cpuinfo_field(const std::string& name) {
  const Text info = e2e::read_file(L"Z:\\proc\\cpuinfo");
  const std::regex field("(^|\n)" + name + "\\s*: ([^\n]*)");
  std::smatch m;
  if (!std::regex_search(info, m, field)) return "";
  return m[2];
}

std::wstring environment_variable(const wchar_t* name) {
  wchar_t buffer[512] = {};
  DWORD n = GetEnvironmentVariableW(name, buffer, 512);
  return n > 0 && n < 512 ? std::wstring(buffer, n) : std::wstring();
}

bool under_wine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

double figure(const Text& text) { return std::strtod(text.c_str(), nullptr); }

TEST(ComputerInformation, TwelveLinesAfterAConfirmedStart) {
  auto program = e2e::start_program({{"QUELMO_SEAM_LOOPS", kSmall}});
  ASSERT_NE(program, nullptr);
  HWND main = e2e::wait_main_window(*program);
  ASSERT_NE(main, nullptr);
  HWND computer = e2e::find_control(main, 编辑框_计算机信息);
  HWND performance = e2e::find_control(main, 编辑框_性能信息);
  e2e::click(e2e::find_control(main, 按钮_开始评估));
  auto confirmation = e2e::wait_message_box(*program);
  ASSERT_TRUE(confirmation.has_value());
  e2e::answer_message_box(confirmation->hwnd, IDYES);
  ASSERT_TRUE(e2e::wait_until(
      [&] { return e2e::window_text(performance).find("您的计算机评分： ") != Text::npos; }, 180000));

  const Text box = e2e::window_text(computer);
  const std::vector<Text> lines = e2e::lines_of(box);
  ASSERT_EQ(lines.size(), 12u) << box;
  Text v;

  // Clock: within a tenth of the frequency the host states.
  ASSERT_TRUE(value_of(lines[0], "CPU时钟频率： ", " Mhz", v));
  ASSERT_TRUE(std::regex_match(v, std::regex("[1-9][0-9]*"))) << v;
  const double nominal = std::strtod(cpuinfo_field("cpu MHz").c_str(), nullptr);
  if (nominal > 0) {
    EXPECT_NEAR(figure(v), nominal, nominal * 0.1) << "host states " << nominal << " MHz";
  } else {
    ADD_FAILURE() << "no cpu MHz in Z:\\proc\\cpuinfo";
  }

  // Data width: 64 exactly when this system runs 32-bit programs beside 64-bit
  // ones, or when the program is itself 64-bit (built as this test is).
  ASSERT_TRUE(value_of(lines[1], "CPU数据宽度： ", " 位", v));
  wchar_t wow64_folder[MAX_PATH] = {};
  const bool wow64_system = GetSystemWow64DirectoryW(wow64_folder, MAX_PATH) != 0;
  EXPECT_EQ(v, wow64_system || sizeof(void*) == 8 ? "64" : "32");

  // Manufacturer of this processor.
  ASSERT_TRUE(value_of(lines[2], "CPU制造商：   ", "", v));
  const std::string vendor = cpuinfo_field("vendor_id");
  if (vendor == "GenuineIntel") {
    EXPECT_EQ(v, "Intel Corporation");
  } else if (vendor == "AuthenticAMD") {
    EXPECT_EQ(v, "Advanced Micro Devices");
  } else {
    EXPECT_FALSE(v.empty());
  }

  // Core count as the environment holds it.
  ASSERT_TRUE(value_of(lines[3], "核心(线程)数：", "", v));
  EXPECT_EQ(v, e2e::narrow(environment_variable(L"NUMBER_OF_PROCESSORS")));
  EXPECT_FALSE(v.empty());

  // Drives: the total is fixed; free space moves while other programs write,
  // so free and used are checked against the total and each other.
  uint64_t total_bytes = 0;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
    if (GetDriveTypeW(root) != DRIVE_FIXED) continue;
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(root, &available, &total, &free));
    total_bytes += (total.QuadPart >> 10) << 10;
  }
  ASSERT_TRUE(value_of(lines[4], "硬盘总大小：  ", " G", v));
  EXPECT_EQ(v, real_to_text(round_to_decimals(static_cast<double>(total_bytes >> 10) / 1048576.0, 2)));
  const double total_g = figure(v);
  ASSERT_TRUE(value_of(lines[5], "硬盘剩余空间：", " G", v));
  const double free_g = figure(v);
  ASSERT_TRUE(value_of(lines[6], "硬盘占用：    ", " G", v));
  const double used_g = figure(v);
  for (const Text& line : {lines[4], lines[5], lines[6]}) {
    Text figure_text = line.substr(line.find('\t') + 1);
    EXPECT_TRUE(std::regex_match(figure_text, std::regex("[0-9]+(\\.[0-9]{1,2})? G\r\n"))) << line;
  }
  EXPECT_GE(free_g, 0);
  EXPECT_LE(free_g, total_g);
  EXPECT_NEAR(used_g + free_g, total_g, total_g * 0.02 + 0.02);
  ASSERT_TRUE(value_of(lines[7], "硬盘占用比例：", " %", v));
  ASSERT_TRUE(std::regex_match(v, std::regex("0|[1-9]0|100"))) << v;
  if (total_g > 0) {
    EXPECT_NEAR(figure(v), used_g / total_g * 100, 10.5);
  }

  // Memory in MiB.
  MEMORYSTATUSEX memory = {};
  memory.dwLength = sizeof memory;
  ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
  ASSERT_TRUE(value_of(lines[8], "RAM大小：  ", " M", v));
  EXPECT_EQ(v, std::to_string(memory.ullTotalPhys >> 20));

  // Host name as the sockets interface states it.
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host), 0);
  WSACleanup();
  ASSERT_TRUE(value_of(lines[9], "主机名：    ", "", v));
  EXPECT_EQ(v, host);
  EXPECT_FALSE(v.empty());

  // Machine type: a name of the table; Wine's VBScript cannot walk the
  // chassis list, so there the script fails and the type is unknown.
  ASSERT_TRUE(value_of(lines[10], "计算机类型：", "", v));
  bool in_table = false;
  for (int code = 0; code <= 24; ++code) in_table = in_table || v == machine_type_for_code(code);
  EXPECT_TRUE(in_table) << v;
  if (under_wine()) {
    EXPECT_EQ(v, "未知设备");
  }

  // Browser: the shortened form of the registered command.
  wchar_t command[1024] = {};
  DWORD size = sizeof command;
  const LONG status = RegGetValueW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", nullptr, RRF_RT_REG_SZ,
                                   nullptr, command, &size);
  const Text registered = status == ERROR_SUCCESS ? e2e::narrow(command) : Text();
  ASSERT_TRUE(value_of(lines[11], "浏览器路径：", "", v));
  EXPECT_EQ(v, shorten_browser_path(registered)) << "registered: " << registered;
  if (registered == "\"C:\\windows\\system32\\winebrowser.exe\" \"%1\"") {
    EXPECT_EQ(v, "\"C:\\windows\\system32\\winebrowser.exe");
  }

  e2e::click(e2e::find_control(main, 按钮_退出));
  ASSERT_TRUE(e2e::wait_exit(*program));
  EXPECT_EQ(program->exit_code(), 0u);
}

}  // namespace
