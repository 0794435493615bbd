// The portable half of the computer information: the lookup tables, the walk
// over the logical drives (through injected drive queries), the line texts of
// the computer information box, the browser path shortening and the clipboard
// report. The Windows collectors feed these with the real system queries.
#pragma once

#include <cstdint>

#include "text/text.h"

// ---- Processor lines ---------------------------------------------------------

// Whole MHz from two time-stamp counter readings one second apart, truncated.
int64_t mhz_from_ticks(int64_t start_ticks, int64_t end_ticks);

Text clock_line(int64_t mhz);  // CPU时钟频率
// The data width the line shows: 64 where the processor runs 64-bit Windows,
// seen from a 32-bit program as running under WOW64, or from a 64-bit program
// as being one (a 64-bit process is never under WOW64); else 32.
int32_t data_width(bool process_is_64_bit, bool under_wow64);
Text data_width_line(int32_t width);       // CPU数据宽度
Text manufacturer_line(const Text& name);  // CPU制造商
Text core_count_line(const Text& value);   // 核心(线程)数, the value as given

// ---- Drives and memory -------------------------------------------------------

// The drive queries a walk uses. Sizes are KB counts in 64 bits, so a drive of
// 2 TiB or more keeps its size; a failed space query answers -1.
struct DriveQueries {
  uint32_t (*logical_drives)();              // GetLogicalDrives: bit 0 is A:
  unsigned (*drive_type)(const char* root);  // GetDriveTypeA on "X:\"
  int64_t (*total_kb)(char letter);          // volume size in KB, -1 on failure
  int64_t (*free_kb)(char letter);           // space available to the caller, -1 on failure
};

struct DriveSums {
  int64_t total = 0;
  int64_t free = 0;
  int64_t used = 0;
};

// One complete pass over the present drive letters A..Z; only fixed drives
// (type 3) add to the sums.
DriveSums walk_fixed_drives(const DriveQueries& queries);

// Each performs one walk of its own.
int64_t fixed_drives_total_kb(const DriveQueries& queries);
int64_t fixed_drives_free_kb(const DriveQueries& queries);
int64_t fixed_drives_used_kb(const DriveQueries& queries);

// The five lines of the drive and memory part, each computed when called
// (the size lines walk once each, the ratio line twice).
Text drive_total_line(const DriveQueries& queries);  // 硬盘总大小
Text drive_free_line(const DriveQueries& queries);   // 硬盘剩余空间
Text drive_used_line(const DriveQueries& queries);   // 硬盘占用
Text drive_ratio_line(const DriveQueries& queries);  // 硬盘占用比例
Text memory_line(int32_t memory_mb);                 // RAM大小

// The texts of those lines from given figures.
Text gigabytes_text(int64_t kb);                          // KB / 2^20, 2 decimals
Text used_share_text(int64_t used_kb, int64_t total_kb);  // "0", "10" ... "100"

// ---- Host, machine type, browser path ----------------------------------------

Text host_line(const Text& host);
Text machine_type_line(const Text& type_name);
Text browser_line(const Text& shortened_path);

// The Chinese name of a chassis type code; "未知设备" for codes without a row.
Text machine_type_for_code(int32_t code);

// The compact form of the browser command: folder names longer than 8 bytes
// cut to 6 bytes and "~1", the last segment ending 3 bytes after its last ".".
Text shorten_browser_path(const Text& path);

// The registry path of the browser command (default value of the key).
extern const char* const browser_command_path;

// ---- Scripts and the clipboard report ----------------------------------------

// The VBScript functions evaluated through the script host.
extern const char* const chassis_type_script;    // function getChassisType
extern const char* const processor_id_script;    // function Getcpuid
extern const char* const chassis_type_function;  // "getChassisType"
extern const char* const processor_id_function;  // "Getcpuid"

// The report the copy button puts on the clipboard. An empty processor id
// shows as "Get CPU SN failed！".
Text identity_report(const Text& datetime_text, const Text& processor_id, const Text& computer_info,
                     const Text& performance_info);
