// The program's own kernel32 function table. An entry is looked up by name the
// first time it is called and the address is kept; a function kernel32.dll
// does not have ends the program with a message naming it.
#include "platform/win/kernel32_table.h"

#include <atomic>
#include <cstring>

#include "platform/seams.h"
#include "platform/win/wide.h"

namespace {

enum Entry {
  kQueryPerformanceFrequency,
  kQueryPerformanceCounter,
  kIsWow64Process,
  kGetLogicalDrives,
  kGetDriveTypeA,
  kEntryCount
};

constexpr const char* kNames[kEntryCount] = {
    "QueryPerformanceFrequency", "QueryPerformanceCounter", "IsWow64Process",
    "GetLogicalDrives",          "GetDriveTypeA",
};

// Two threads binding the same entry at once find the same address, so a
// plain atomic store is enough.
std::atomic<FARPROC> g_bound[kEntryCount];

FARPROC bind(Entry entry) {
  FARPROC address = g_bound[entry].load(std::memory_order_acquire);
  if (address != nullptr) return address;
  const char* name = kNames[entry];
  if (seams::missing_kernel32_function() != name) {
    if (HMODULE module = LoadLibraryW(L"kernel32.dll")) address = GetProcAddress(module, name);
  }
  if (address == nullptr) {
    fatal_stop(Text("无法定位程序输入点 ") + name + " 于动态链接库 kernel32.dll 上。");
  }
  g_bound[entry].store(address, std::memory_order_release);
  return address;
}

template <typename Function>
Function entry_of(Entry entry) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(bind(entry)));
}

}  // namespace

namespace k32 {

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  using Fn = BOOL(WINAPI*)(LARGE_INTEGER*);
  return entry_of<Fn>(kQueryPerformanceFrequency)(frequency);
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  using Fn = BOOL(WINAPI*)(LARGE_INTEGER*);
  return entry_of<Fn>(kQueryPerformanceCounter)(count);
}

BOOL IsWow64Process(HANDLE process, BOOL* wow64) {
  using Fn = BOOL(WINAPI*)(HANDLE, BOOL*);
  return entry_of<Fn>(kIsWow64Process)(process, wow64);
}

DWORD GetLogicalDrives() {
  using Fn = DWORD(WINAPI*)();
  return entry_of<Fn>(kGetLogicalDrives)();
}

UINT GetDriveTypeA(const char* root) {
  using Fn = UINT(WINAPI*)(const char*);
  return entry_of<Fn>(kGetDriveTypeA)(root);
}

}  // namespace k32
