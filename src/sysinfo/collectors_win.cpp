// The three collectors of the computer information box. Each line is built
// completely and appended before the next value is computed.
#include "sysinfo/sysinfo.h"

#include "sysinfo/cpu_info.h"
#include "sysinfo/sysinfo_win.h"
#include "ui/boxes.h"

void collect_processor_info() {
  CPUInfo local;
  CPUInfo& info = cpu_info != nullptr ? *cpu_info : local;
  query_cpu_info(info);
  append_to_box(Box::computer_info, clock_line(measure_cpu_clock_mhz()));
  append_to_box(Box::computer_info, data_width_line(cpu_data_width()));
  append_to_box(Box::computer_info, manufacturer_line(info.manufacturer));
  append_to_box(Box::computer_info, core_count_line(number_of_processors_text()));
}

void collect_drive_and_memory_info() {
  append_to_box(Box::computer_info, drive_total_line(system_drive_queries));
  append_to_box(Box::computer_info, drive_free_line(system_drive_queries));
  append_to_box(Box::computer_info, drive_used_line(system_drive_queries));
  append_to_box(Box::computer_info, drive_ratio_line(system_drive_queries));
  append_to_box(Box::computer_info, memory_line(physical_memory_mb()));
}

void collect_host_info() {
  append_to_box(Box::computer_info, host_line(host_name()));
  append_to_box(Box::computer_info, machine_type_line(machine_type_name()));
  Text command = read_registry_text(HKEY_CLASSES_ROOT, browser_command_path);
  append_to_box(Box::computer_info, browser_line(shorten_browser_path(command)));
}
