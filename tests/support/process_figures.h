// Figures of a running process, read from outside, for the tests and the
// program benchmark.
#pragma once

#include <windows.h>

#include <cstddef>

namespace support {

// Handles open in `process`. Windows counts them for us; Wine reports 0, so
// there every possible handle value is tried by asking for a copy of it.
size_t handle_count(HANDLE process);

// Private bytes in MiB (the commit charge; Wine fills in only PagefileUsage),
// -1 when they cannot be read.
double private_mib(HANDLE process);

}  // namespace support
