#include "sysinfo/sysinfo_core.h"

#include <cmath>
#include <vector>

namespace {

Text tab() { return char_from_code(9); }

// The longest prefix of `text` of at most `limit` bytes that does not end in
// the middle of a two-byte character.
size_t whole_char_prefix(const Text& text, size_t limit) {
  size_t at = 0;
  size_t last = 0;  // where the last character kept starts
  while (at < text.size()) {
    size_t next = at + char_length(text, at);
    if (next > limit) break;
    last = at;
    at = next;
  }
  // A stray lead byte at the cut would pair with whatever comes after it
  // ("~1", say) into another character: it goes too.
  if (at > 0 && at - last == 1 && is_lead_byte(static_cast<unsigned char>(text[last]))) at = last;
  return at;
}

}  // namespace

// ---- Processor lines ---------------------------------------------------------

int64_t mhz_from_ticks(int64_t start_ticks, int64_t end_ticks) {
  double ticks = static_cast<double>(end_ticks) - static_cast<double>(start_ticks);
  double mhz = ticks / 1000000.0;
  return static_cast<int64_t>(mhz);
}

Text clock_line(int64_t mhz) {
  return "CPU时钟频率： " + tab() + int_to_text(static_cast<int32_t>(mhz)) + " Mhz\r\n";
}

int32_t data_width(bool process_is_64_bit, bool under_wow64) {
  return process_is_64_bit || under_wow64 ? 64 : 32;
}

Text data_width_line(int32_t width) { return "CPU数据宽度： " + tab() + int_to_text(width) + " 位\r\n"; }

Text manufacturer_line(const Text& name) { return "CPU制造商：   " + tab() + name + "\r\n"; }

Text core_count_line(const Text& value) { return "核心(线程)数：" + tab() + value + "\r\n"; }

// ---- Drives and memory -------------------------------------------------------

namespace {

const char drive_letters[] = "ZYXWVUTSRQPONMLKJIHGFEDCBA";

// The drive mask as 26 digits "0"/"1", most significant first (Z: ... A:).
Text mask_digits(uint32_t mask) {
  double value = static_cast<double>(mask);
  Text digits;
  while (trunc_divide(value, 2) > 1e-7) {
    digits = real_to_text(real_remainder(value, 2)) + digits;
    value = trunc_divide(value, 2);
  }
  Text all = Text(26, '0') + int_to_text(static_cast<int32_t>(value)) + digits;
  return all.substr(all.size() - 26);
}

}  // namespace

DriveSums walk_fixed_drives(const DriveQueries& queries) {
  DriveSums sums;
  Text digits = mask_digits(queries.logical_drives());
  for (int position = 26; position >= 1; --position) {
    double digit = text_to_number(digits.substr(position - 1, 1));
    if (static_cast<int64_t>(digit) != 1) continue;
    char letter = drive_letters[position - 1];
    Text root = Text(1, letter) + ":\\";
    if (queries.drive_type(root.c_str()) != 3) continue;  // only DRIVE_FIXED counts
    // Sizes are carried in 64 bits so that drives and sums of 2 TiB or more
    // keep their true size; a failed query still adds its -1.
    sums.total += queries.total_kb(letter);
    sums.free += queries.free_kb(letter);
    sums.used = sums.total - sums.free;
  }
  return sums;
}

int64_t fixed_drives_total_kb(const DriveQueries& queries) { return walk_fixed_drives(queries).total; }
int64_t fixed_drives_free_kb(const DriveQueries& queries) { return walk_fixed_drives(queries).free; }
int64_t fixed_drives_used_kb(const DriveQueries& queries) { return walk_fixed_drives(queries).used; }

Text gigabytes_text(int64_t kb) {
  return real_to_text(round_to_decimals(static_cast<double>(kb) / 1048576.0, 2));
}

Text used_share_text(int64_t used_kb, int64_t total_kb) {
  // Without any size there is no share to speak of: show 0 rather than the
  // text of a 0/0 quotient.
  if (total_kb == 0) return "0";
  double share = static_cast<double>(used_kb) / static_cast<double>(total_kb);
  return real_to_text(round_to_decimals(share, 1) * 100.0);
}

Text drive_total_line(const DriveQueries& queries) {
  return "硬盘总大小：  " + tab() + gigabytes_text(fixed_drives_total_kb(queries)) + " G\r\n";
}

Text drive_free_line(const DriveQueries& queries) {
  return "硬盘剩余空间：" + tab() + gigabytes_text(fixed_drives_free_kb(queries)) + " G\r\n";
}

Text drive_used_line(const DriveQueries& queries) {
  return "硬盘占用：    " + tab() + gigabytes_text(fixed_drives_used_kb(queries)) + " G\r\n";
}

Text drive_ratio_line(const DriveQueries& queries) {
  int64_t used = fixed_drives_used_kb(queries);
  int64_t total = fixed_drives_total_kb(queries);
  return "硬盘占用比例：" + tab() + used_share_text(used, total) + " %\r\n";
}

Text memory_line(int32_t memory_mb) { return "RAM大小：  " + tab() + int_to_text(memory_mb) + " M\r\n"; }

// ---- Host, machine type, browser path ----------------------------------------

Text host_line(const Text& host) { return "主机名：    " + tab() + host + "\r\n"; }

Text machine_type_line(const Text& type_name) { return "计算机类型：" + tab() + type_name + "\r\n"; }

Text browser_line(const Text& shortened_path) { return "浏览器路径：" + tab() + shortened_path + "\r\n"; }

Text machine_type_for_code(int32_t code) {
  static const char* const names[] = {
      "其他",                  // 1
      "未知设备",              // 2 has no row of its own
      "台式计算机",            // 3
      "桌面卧式",              // 4
      "比萨盒",                // 5
      "微塔式",                // 6
      "塔式",                  // 7
      "便携机",                // 8
      "便携式电脑",            // 9
      "笔记本",                // 10
      "手持式",                // 11
      "扩展坞",                // 12
      "一体式计算机",          // 13
      "小笔记簿型电脑",        // 14
      "不占地方的笔记本电脑",  // 15
      "便当盒",                // 16
      "主系统机箱",            // 17
      "智能插槽扩展器",        // 18
      "副基座系統",            // 19
      "总线扩展机箱",          // 20
      "周边机箱",              // 21
      "存储机箱",              // 22
      "机架式机箱",            // 23
      "密封机壳PC",            // 24
  };
  if (code < 1 || code > 24) return "未知设备";
  return names[code - 1];
}

Text shorten_browser_path(const Text& path) {
  // Segments between backslashes; a backslash that is the second byte of a
  // two-byte character belongs to that character.
  std::vector<Text> segments;
  Text current;
  bool open = false;  // bytes (or a separator) seen since the last push
  for (size_t at = 0; at < path.size();) {
    size_t length = char_length(path, at);
    if (length == 1 && path[at] == '\\') {
      segments.push_back(current);
      current.clear();
      open = false;
    } else {
      current.append(path, at, length);
      open = true;
    }
    at += length;
  }
  if (open) segments.push_back(current);  // a trailing backslash adds no empty segment
  if (segments.size() < 2) return Text();

  Text result;
  for (size_t i = 0; i < segments.size(); ++i) {
    Text segment = segments[i];
    if (i + 1 == segments.size()) {
      // The last "." that is a character of its own, never a second byte.
      size_t dot = Text::npos;
      for (size_t at = 0; at < segment.size(); at += char_length(segment, at)) {
        if (segment[at] == '.') dot = at;
      }
      if (dot != Text::npos) {
        // Keep three bytes after the dot; a character that the cut would
        // split is left out whole.
        result += segment.substr(0, whole_char_prefix(segment, dot + 1 + 3));
        return result;
      }
    }
    if (segment.size() > 8) {
      // Six bytes and "~1"; when the sixth byte starts a two-byte character
      // the cut falls before it, so no half character is left.
      segment = segment.substr(0, whole_char_prefix(segment, 6)) + "~1";
    }
    result += segment;
    result += '\\';
  }
  return result;
}

const char* const browser_command_path = "\\http\\shell\\open\\command\\";

// ---- Scripts and the clipboard report ----------------------------------------

const char* const chassis_type_script =
    "function getChassisType()\r\n"
    "    strComputer = \".\" \r\n"
    "    Set objWMIService = GetObject(\"winmgmts:{impersonationLevel=impersonate}!\\\\\" & "
    "strComputer & \"\\root\\cimv2\") \r\n"
    "    Set colChassis = objWMIService.ExecQuery(\"Select * from Win32_SystemEnclosure\") \r\n"
    "    For Each objChassis in colChassis \r\n"
    "        For Each strChassisType in objChassis.ChassisTypes \r\n"
    "            getChassisType = strChassisType\r\n"
    "        Next \r\n"
    "    Next\r\n"
    "end function";

const char* const processor_id_script =
    "Function Getcpuid() \r\n"
    "Dim cpuSet,cpu\r\n"
    "    Set cpuSet = GetObject(\"winmgmts:{impersonationLevel=impersonate}\")"
    ".InstancesOf(\"Win32_Processor\")\r\n"
    "    For Each cpu In cpuSet\r\n"
    "      getcpuid=cpu.ProcessorId\r\n"
    "      exit for\r\n"
    "    Next\r\n"
    "end Function";

const char* const chassis_type_function = "getChassisType";
const char* const processor_id_function = "Getcpuid";

Text identity_report(const Text& datetime_text, const Text& processor_id, const Text& computer_info,
                     const Text& performance_info) {
  Text report = "==========计算机标识信息==========\r\n\r\n测试（本机）时间:";
  report += datetime_text;
  report += "\r\nCPU序列号:";
  report += processor_id.empty() ? Text("Get CPU SN failed！") : processor_id;
  report += "\r\n\r\n==========计算机信息==========\r\n\r\n";
  report += computer_info;
  report += "\r\n==========运算性能信息==========\r\n\r\n";
  report += performance_info;
  report += "\r\n";
  return report;
}
