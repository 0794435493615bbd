// The Windows queries behind the computer information lines: CPUID and the
// time-stamp counter, drives and memory, host name, registry and machine type.
#include <winsock2.h>

#include "sysinfo/sysinfo_win.h"

#include <cpuid.h>
#include <x86intrin.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <atomic>
#include "platform/win/kernel32_table.h"
#include "platform/win/wide.h"
#include "sysinfo/script_host.h"
#include "sysinfo/sysinfo.h"

// ---- Processor -----------------------------------------------------------------

namespace {

struct Registers {
  unsigned a = 0, b = 0, c = 0, d = 0;
};

Registers cpuid(unsigned leaf, unsigned subleaf = 0) {
  Registers r;
  __cpuid_count(leaf, subleaf, r.a, r.b, r.c, r.d);
  return r;
}

Text register_bytes(unsigned value) {
  Text text(4, '\0');
  for (int i = 0; i < 4; ++i) text[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return text;
}

Text hex_word(unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%08X", value);
  return buffer;
}

// First-level data cache in KB: the extended leaf where the processor has it
// (AMD), else the deterministic cache parameters (Intel).
int32_t l1_data_cache_kb(unsigned max_leaf, unsigned max_extended) {
  if (max_extended >= 0x80000005u) {
    unsigned kb = cpuid(0x80000005u).c >> 24;
    if (kb != 0) return static_cast<int32_t>(kb);
  }
  if (max_leaf >= 4) {
    for (unsigned sub = 0; sub < 16; ++sub) {
      Registers r = cpuid(4, sub);
      unsigned type = r.a & 0x1F;
      if (type == 0) break;
      unsigned level = (r.a >> 5) & 0x7;
      if (level == 1 && (type == 1 || type == 3)) {
        unsigned bytes =
            (((r.b >> 22) & 0x3FF) + 1) * (((r.b >> 12) & 0x3FF) + 1) * ((r.b & 0xFFF) + 1) * (r.c + 1);
        return static_cast<int32_t>(bytes / 1024);
      }
    }
  }
  return 0;
}

}  // namespace

void query_cpu_info(CPUInfo& info) {
  Registers leaf0 = cpuid(0);
  unsigned max_leaf = leaf0.a;
  Text vendor = register_bytes(leaf0.b) + register_bytes(leaf0.d) + register_bytes(leaf0.c);
  info.manufacturer = manufacturer_for_vendor(vendor);

  unsigned max_extended = cpuid(0x80000000u).a;
  info.processor_name.clear();
  if (max_extended >= 0x80000004u) {
    Text name;
    for (unsigned leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
      Registers r = cpuid(leaf);
      name += register_bytes(r.a) + register_bytes(r.b) + register_bytes(r.c) + register_bytes(r.d);
    }
    name = name.substr(0, std::strlen(name.c_str()));
    size_t first = name.find_first_not_of(' ');
    info.processor_name = first == Text::npos ? Text() : name.substr(first);
  }

  Registers leaf1 = max_leaf >= 1 ? cpuid(1) : Registers{};
  unsigned stepping = leaf1.a & 0xF;
  unsigned model = (leaf1.a >> 4) & 0xF;
  unsigned family = (leaf1.a >> 8) & 0xF;
  if (family == 0xF) family += (leaf1.a >> 20) & 0xFF;
  if (family == 0x6 || family >= 0xF) model += ((leaf1.a >> 16) & 0xF) << 4;
  info.family_model_stepping = "Family " + int_to_text(static_cast<int32_t>(family)) + " Model " +
                               int_to_text(static_cast<int32_t>(model)) + " Stepping " +
                               int_to_text(static_cast<int32_t>(stepping));

  // The clock line measures the clock on its own; a second one-second
  // measurement here would only double the wait, and nothing reads this field.
  info.clock_mhz = 0;
  info.l1_cache_kb = l1_data_cache_kb(max_leaf, max_extended);
  info.l2_cache_kb = max_extended >= 0x80000006u ? static_cast<int32_t>(cpuid(0x80000006u).c >> 16) : 0;

  // The signature, and the serial number words where the processor still has them.
  info.serial_text = hex_word(leaf1.a);
  if ((leaf1.d & (1u << 18)) && max_leaf >= 3) {
    Registers serial = cpuid(3);
    info.serial_text += '-';
    info.serial_text += hex_word(serial.d);
    info.serial_text += '-';
    info.serial_text += hex_word(serial.c);
  }
  bool long_mode = max_extended >= 0x80000001u && (cpuid(0x80000001u).d & (1u << 29));
  info.data_width = long_mode ? 64 : 32;
}

int64_t measure_cpu_clock_mhz() {
  LARGE_INTEGER frequency;
  frequency.QuadPart = 0;
  k32::QueryPerformanceFrequency(&frequency);
  int64_t start_ticks = static_cast<int64_t>(__rdtsc());
  LARGE_INTEGER count;
  count.QuadPart = 0;
  k32::QueryPerformanceCounter(&count);
  int64_t target =
      static_cast<int64_t>(static_cast<double>(count.QuadPart) + static_cast<double>(frequency.QuadPart));
  // A tight loop, so the tick interval ends as close to the target as the
  // counter allows.
  do {
    k32::QueryPerformanceCounter(&count);
  } while (count.QuadPart < target);
  int64_t end_ticks = static_cast<int64_t>(__rdtsc());
  return mhz_from_ticks(start_ticks, end_ticks);
}

int32_t cpu_data_width() {
  BOOL wow64 = 0;
  k32::IsWow64Process(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)), &wow64);
  return data_width(sizeof(void*) == 8, (wow64 & 1) != 0);
}

Text number_of_processors_text() {
  // The wide form, turned into the program's code page: the value as the
  // environment holds it, whatever the system's ANSI code page.
  const wchar_t* name = L"NUMBER_OF_PROCESSORS";
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return Text();
  std::vector<wchar_t> buffer(size + 1);
  DWORD length = GetEnvironmentVariableW(name, buffer.data(), size + 1);
  if (length == 0 || length > size) return Text();
  return from_wide(buffer.data(), static_cast<int>(length));
}

// ---- Drives and memory ---------------------------------------------------------

namespace {

// The root of a drive letter, upper-cased, as "X:\".
Text drive_root(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  return Text(1, letter) + ":\\";
}

uint32_t system_logical_drives() { return k32::GetLogicalDrives(); }
unsigned system_drive_type(const char* root) { return k32::GetDriveTypeA(root); }

}  // namespace

int64_t disk_total_kb(char letter) {
  ULARGE_INTEGER available, total, free;
  if (!GetDiskFreeSpaceExA(drive_root(letter).c_str(), &available, &total, &free)) return -1;
  return static_cast<int64_t>(total.QuadPart >> 10);
}

int64_t disk_free_kb(char letter) {
  ULARGE_INTEGER available, total, free;
  if (!GetDiskFreeSpaceExA(drive_root(letter).c_str(), &available, &total, &free)) return -1;
  return static_cast<int64_t>(available.QuadPart >> 10);
}

const DriveQueries system_drive_queries = {system_logical_drives, system_drive_type, disk_total_kb,
                                           disk_free_kb};

int32_t physical_memory_mb() {
  // Every supported Windows has GlobalMemoryStatusEx.
  uint64_t bytes = 0;
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status)) bytes = status.ullTotalPhys;
  return static_cast<int32_t>(static_cast<uint32_t>(bytes >> 20));
}

// ---- Host ------------------------------------------------------------------------

namespace {
std::atomic<bool> g_sockets_started{false};
}  // namespace

void end_sockets() {
  if (g_sockets_started.exchange(false)) WSACleanup();
}

Text host_name() {
  // Windows Sockets is started once per process; the end of the process
  // cleans it up.
  static bool startup_tried = false;
  if (!startup_tried) {
    startup_tried = true;
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) == 0) g_sockets_started.store(true);
  }
  // The largest name the sockets interface hands out fits in 256 characters,
  // so names of any length come back whole. The name crosses into the
  // program's code page through UTF-16, as every text from Windows does:
  // GetHostNameW where ws2_32.dll has it (Windows 8 on), else the ANSI name
  // read in the system's ANSI code page.
  using GetHostNameWFunction = int(WSAAPI*)(PWSTR, int);
  static const auto get_host_name_w = reinterpret_cast<GetHostNameWFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ws2_32.dll"), "GetHostNameW")));
  if (get_host_name_w != nullptr) {
    wchar_t wide[256] = {};
    if (get_host_name_w(wide, 256) != 0) return Text();
    wide[255] = L'\0';
    return from_wide(std::wstring(wide));
  }
  char buffer[256] = {};
  if (gethostname(buffer, sizeof buffer) != 0) return Text();
  buffer[sizeof buffer - 1] = '\0';
  return from_code_page(buffer, CP_ACP);
}

Text machine_type_name() {
  const double number = evaluate_script_number(chassis_type_script, chassis_type_function);
  // Toward zero; a figure outside the 32-bit range names no machine type.
  int32_t code = (number > -2147483649.0 && number < 2147483648.0) ? static_cast<int32_t>(number) : 0;
  return machine_type_for_code(code);
}

Text read_registry_text(HKEY root, const Text& path) {
  size_t last = path.rfind('\\');
  Text key = last == Text::npos ? Text() : path.substr(0, last);
  Text value_name = last == Text::npos ? path : path.substr(last + 1);
  // The key name goes to the system unchanged; under HKEY_CLASSES_ROOT the
  // system itself passes over one leading backslash.
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, to_wide(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return Text();
  std::wstring name = to_wide(value_name);
  DWORD type = 0;
  DWORD size = 0;
  Text result;
  LONG status = RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
    DWORD capacity = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
    status = RegQueryValueExW(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                              &capacity);
    if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
      std::wstring stored(data.data());  // up to the first terminating zero
      if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsW(stored.c_str(), nullptr, 0);
        std::vector<wchar_t> expanded(needed + 1, L'\0');
        if (needed != 0 && ExpandEnvironmentStringsW(stored.c_str(), expanded.data(), needed + 1) != 0) {
          stored = expanded.data();
        }
      }
      result = from_wide(stored);
    }
  }
  RegCloseKey(handle);
  return result;
}
