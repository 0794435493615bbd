// The process-wide records (evaluation_state lives with the evaluation).
#pragma once

#include "sysinfo/cpu_info.h"
#include "text/text.h"

struct AboutInfo {
  Text title;
  Text version;
  Text company;
  Text years;
};

extern AboutInfo about_info;
extern CPUInfo* cpu_info;
extern Text processor_id_cache;

void release_globals();
