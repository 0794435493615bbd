#pragma once

#include <cstdint>

#include "text/text.h"

// Processor facts filled by query_cpu_info; only `manufacturer` is shown.
struct CPUInfo {
  Text manufacturer;
  Text processor_name;
  int32_t clock_mhz = 0;
  Text family_model_stepping;
  int32_t l1_cache_kb = 0;
  int32_t l2_cache_kb = 0;
  Text serial_text;
  int32_t data_width = 0;
};

// The process-wide processor record: made at start-up, filled by the
// processor collector, freed at the end of the process.
extern CPUInfo* cpu_info;
void create_cpu_info();
void release_cpu_info();

// The manufacturer for a 12-byte CPUID vendor string, "Unknown Manufacturer"
// for anything not in the table (exact bytes, letter case included).
Text manufacturer_for_vendor(const Text& vendor);
