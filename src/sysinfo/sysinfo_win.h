// The Windows queries behind the computer information lines and the clipboard
// report.
#pragma once

#include <windows.h>

#include <cstdint>

#include "sysinfo/cpu_info.h"
#include "sysinfo/sysinfo_core.h"
#include "text/text.h"

// Processor.
void query_cpu_info(CPUInfo& info);  // CPUID
int64_t measure_cpu_clock_mhz();     // time-stamp counter over one second
int32_t cpu_data_width();            // 64 under WOW64, else 32
Text number_of_processors_text();    // NUMBER_OF_PROCESSORS as the environment holds it

// Drives and memory.
int64_t disk_total_kb(char letter);  // -1 when the query fails
int64_t disk_free_kb(char letter);   // space available to this user; -1 on failure
int32_t physical_memory_mb();
extern const DriveQueries system_drive_queries;

// Host.
Text host_name();
Text machine_type_name();
// The text value at `path` under `root`: the part after the last backslash
// names the value (empty: the default value), the part before it the key.
// REG_SZ as stored, REG_EXPAND_SZ expanded, anything else the empty text.
Text read_registry_text(HKEY root, const Text& path);

// Puts `text` on the clipboard as CF_TEXT (the 936 bytes as held), with
// CF_UNICODETEXT and CF_LOCALE (Chinese, PRC) beside it. Returns whether
// the text reached the clipboard.
bool place_on_clipboard(const Text& text);
