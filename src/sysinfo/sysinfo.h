// The collectors of the computer information box and the clipboard report
// (Windows only).
#pragma once

#include "text/text.h"

void collect_processor_info();
void collect_drive_and_memory_info();
void collect_host_info();

// Ends the use of Windows Sockets that the host name query began (WSACleanup);
// for the exit clean-up. Does nothing when sockets were never started.
void release_host_sockets();

void copy_identity_report();  // 按钮_复制到剪贴板
Text get_processor_id();
