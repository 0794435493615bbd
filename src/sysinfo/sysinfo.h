// The collectors of the computer information box and the clipboard report
// (Windows only).
#pragma once

#include "text/text.h"

void collect_processor_info();
void collect_drive_and_memory_info();
void collect_host_info();

void copy_identity_report();  // 按钮_复制到剪贴板
Text get_processor_id();
