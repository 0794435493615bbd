// The collectors of the computer information box and the clipboard report
// (Windows only).
#pragma once

#include "text/text.h"

void collect_processor_info();
void collect_drive_and_memory_info();
void collect_host_info();

void copy_identity_report();  // 按钮_复制到剪贴板
Text get_processor_id();

// The processor id WMI gave, kept after the first copy that found one.
extern Text processor_id_cache;
void release_processor_id_cache();  // end of process

// The end of Windows Sockets, started by the host name query (nothing when
// it was never started). End of process.
void end_sockets();
