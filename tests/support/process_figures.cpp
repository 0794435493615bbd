#include "process_figures.h"

#include <psapi.h>

#include <cstdint>

namespace support {

size_t handle_count(HANDLE process) {
  DWORD counted = 0;
  if (GetProcessHandleCount(process, &counted) && counted > 0) return counted;
  size_t found = 0;
  for (uintptr_t value = 4; value < 0x10000; value += 4) {
    HANDLE copy = nullptr;
    if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS)) {
      CloseHandle(copy);
      ++found;
    }
  }
  return found;
}

double private_mib(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
    return -1;
  // What Windows calls private bytes: PrivateUsage, which equals PagefileUsage
  // there; Wine fills in only the latter.
  const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
  return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace support
