// The five kernel32 functions the program calls through its own table. Each
// entry is bound by name on its first call; a missing function is fatal
// (message naming kernel32.dll and the function, then exit code -1).
#pragma once

#include <windows.h>

namespace k32 {
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL IsWow64Process(HANDLE process, BOOL* wow64);
DWORD GetLogicalDrives();
UINT GetDriveTypeA(const char* root);
}  // namespace k32
