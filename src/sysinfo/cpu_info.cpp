#include "sysinfo/cpu_info.h"

CPUInfo* cpu_info = nullptr;

void create_cpu_info() {
  if (cpu_info == nullptr) cpu_info = new CPUInfo();
}

void release_cpu_info() {
  if (cpu_info == nullptr) return;
  free_text(cpu_info->manufacturer);
  free_text(cpu_info->processor_name);
  free_text(cpu_info->family_model_stepping);
  free_text(cpu_info->serial_text);
  delete cpu_info;
  cpu_info = nullptr;
}

Text manufacturer_for_vendor(const Text& vendor) {
  struct Row {
    const char* vendor;
    const char* manufacturer;
  };
  static const Row rows[] = {
      {"GenuineIntel", "Intel Corporation"},
      {"UMC UMC UMC ", "United Microelectronics Corp."},
      {"AuthenticAMD", "Advanced Micro Devices"},
      {"AMD ISBETTER", "Advanced Micro Devices"},
      {"CyrixInstead", "Cyrix Corp., VIA Inc."},
      {"NexGenDriven", "NexGen Inc., Advanced Micro Devices"},
      {"CentaurHauls", "IDT\\Centaur, Via Inc."},
      {"RiseRiseRise", "Rise"},
      {"GenuineTMx86", "Transmeta"},
      {"TransmetaCPU", "Transmeta"},
      {"Geode By NSC", "National Semiconductor"},
  };
  for (const Row& row : rows) {
    if (vendor == row.vendor) return row.manufacturer;
  }
  return "Unknown Manufacturer";
}
