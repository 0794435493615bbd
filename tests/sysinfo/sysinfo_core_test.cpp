// The portable half of the computer information: tables, the drive walk over a
// fake drive table, the line texts, the browser path shortening and the report.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "sysinfo/cpu_info.h"
#include "sysinfo/sysinfo_core.h"

namespace {

// ---- A fake drive table --------------------------------------------------------

struct FakeDrive {
  unsigned type = 3;
  int64_t total_kb = 0;
  int64_t free_kb = 0;
};

std::map<char, FakeDrive> drives;
uint32_t extra_mask_bits = 0;        // bits set besides the drives of the table
std::vector<std::string> type_asks;  // roots GetDriveTypeA was asked about
std::vector<char> space_asks;        // letters of total_kb/free_kb queries

uint32_t fake_logical_drives() {
  uint32_t mask = extra_mask_bits;
  for (const auto& [letter, drive] : drives) mask |= 1u << (letter - 'A');
  return mask;
}

unsigned fake_drive_type(const char* root) {
  type_asks.emplace_back(root);
  auto it = drives.find(root[0]);
  return it == drives.end() ? 1 : it->second.type;
}

int64_t fake_total_kb(char letter) {
  space_asks.push_back(letter);
  return drives.at(letter).total_kb;
}

int64_t fake_free_kb(char letter) {
  space_asks.push_back(letter);
  return drives.at(letter).free_kb;
}

const DriveQueries fake = {fake_logical_drives, fake_drive_type, fake_total_kb, fake_free_kb};

class DriveWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    drives.clear();
    extra_mask_bits = 0;
    type_asks.clear();
    space_asks.clear();
  }
};

const Text tab = "\t";

// The example machine: C: fixed, D: CD-ROM, E: removable.
void example_machine() {
  drives['C'] = {3, 488386584, 123456789};
  drives['D'] = {5, 111, 111};
  drives['E'] = {2, 222, 222};
}

TEST_F(DriveWalk, ExampleMachineGivesTheFiveLines) {
  example_machine();
  EXPECT_EQ(drive_total_line(fake), "硬盘总大小：  " + tab + "465.76 G\r\n");
  EXPECT_EQ(drive_free_line(fake), "硬盘剩余空间：" + tab + "117.74 G\r\n");
  EXPECT_EQ(drive_used_line(fake), "硬盘占用：    " + tab + "348.02 G\r\n");
  EXPECT_EQ(drive_ratio_line(fake), "硬盘占用比例：" + tab + "70 %\r\n");
  EXPECT_EQ(memory_line(static_cast<int32_t>(4294443008LL >> 20)), "RAM大小：  " + tab + "4095 M\r\n");
}

TEST_F(DriveWalk, EveryPresentLetterIsTypedButOnlyFixedDrivesAreMeasured) {
  drives['A'] = {2, 1, 1};
  example_machine();
  drives['F'] = {4, 5, 5};
  drives['G'] = {6, 7, 7};
  drives['H'] = {1, 9, 9};
  drives['I'] = {0, 9, 9};
  drives['J'] = {7, 9, 9};
  drives['Z'] = {3, 1000, 400};
  DriveSums sums = walk_fixed_drives(fake);
  EXPECT_EQ(type_asks, (std::vector<std::string>{"A:\\", "C:\\", "D:\\", "E:\\", "F:\\", "G:\\", "H:\\",
                                                 "I:\\", "J:\\", "Z:\\"}));
  // total then free for each fixed drive, in the order A to Z
  EXPECT_EQ(space_asks, (std::vector<char>{'C', 'C', 'Z', 'Z'}));
  EXPECT_EQ(sums.total, 488386584 + 1000);
  EXPECT_EQ(sums.free, 123456789 + 400);
  EXPECT_EQ(sums.used, sums.total - sums.free);
}

TEST_F(DriveWalk, EachLineWalksAfreshAndTheRatioWalksTwice) {
  example_machine();
  drive_total_line(fake);
  drive_free_line(fake);
  drive_used_line(fake);
  drive_ratio_line(fake);
  EXPECT_EQ(type_asks.size(), 5u * 3u);  // five walks over C:, D:, E:
}

TEST_F(DriveWalk, TwoFixedDrivesAreSummed) {
  drives['C'] = {3, 1048576 * 10, 1048576 * 4};
  drives['F'] = {3, 1048576 * 5, 1048576 * 1};
  EXPECT_EQ(drive_total_line(fake), "硬盘总大小：  " + tab + "15 G\r\n");
  EXPECT_EQ(drive_free_line(fake), "硬盘剩余空间：" + tab + "5 G\r\n");
  EXPECT_EQ(drive_used_line(fake), "硬盘占用：    " + tab + "10 G\r\n");
  EXPECT_EQ(drive_ratio_line(fake), "硬盘占用比例：" + tab + "70 %\r\n");  // 0.666 -> 0.7
}

TEST_F(DriveWalk, DrivesAndSumsOfTwoTebibytesOrMoreKeepTheirSize) {
  const int64_t tib_kb = int64_t{1} << 30;
  drives['C'] = {3, 3 * tib_kb, tib_kb};
  EXPECT_EQ(drive_total_line(fake), "硬盘总大小：  " + tab + "3072 G\r\n");
  EXPECT_EQ(drive_used_line(fake), "硬盘占用：    " + tab + "2048 G\r\n");
  drives['D'] = {3, 1536 * 1048576LL, 512 * 1048576LL};  // two 1.5 TiB drives
  drives['C'] = {3, 1536 * 1048576LL, 512 * 1048576LL};
  EXPECT_EQ(drive_total_line(fake), "硬盘总大小：  " + tab + "3072 G\r\n");
  EXPECT_EQ(drive_free_line(fake), "硬盘剩余空间：" + tab + "1024 G\r\n");
  EXPECT_EQ(drive_ratio_line(fake), "硬盘占用比例：" + tab + "70 %\r\n");
}

TEST_F(DriveWalk, AFailedSpaceQueryAddsMinusOne) {
  drives['C'] = {3, -1, -1};
  drives['D'] = {3, 2048, 1024};
  DriveSums sums = walk_fixed_drives(fake);
  EXPECT_EQ(sums.total, 2047);
  EXPECT_EQ(sums.free, 1023);
  EXPECT_EQ(sums.used, 1024);
}

TEST_F(DriveWalk, NoFixedDriveGivesZeroEverywhere) {
  drives['D'] = {5, 100, 100};
  EXPECT_EQ(drive_total_line(fake), "硬盘总大小：  " + tab + "0 G\r\n");
  EXPECT_EQ(drive_free_line(fake), "硬盘剩余空间：" + tab + "0 G\r\n");
  EXPECT_EQ(drive_used_line(fake), "硬盘占用：    " + tab + "0 G\r\n");
  // 0 of 0 has no quotient: the share reads 0.
  EXPECT_EQ(drive_ratio_line(fake), "硬盘占用比例：" + tab + "0 %\r\n");
}

TEST_F(DriveWalk, BitsAboveZAreDropped) {
  extra_mask_bits = 0xFC000000u;
  drives['C'] = {3, 10, 5};
  DriveSums sums = walk_fixed_drives(fake);
  EXPECT_EQ(type_asks, (std::vector<std::string>{"C:\\"}));
  EXPECT_EQ(sums.total, 10);
}

TEST_F(DriveWalk, AllTwentySixLettersAreVisitedInOrder) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) drives[letter] = {3, 2, 1};
  DriveSums sums = walk_fixed_drives(fake);
  ASSERT_EQ(type_asks.size(), 26u);
  EXPECT_EQ(type_asks.front(), "A:\\");
  EXPECT_EQ(type_asks.back(), "Z:\\");
  EXPECT_EQ(sums.total, 52);
  EXPECT_EQ(sums.used, 26);
}

TEST_F(DriveWalk, NoDriveAtAllVisitsNothing) {
  EXPECT_EQ(walk_fixed_drives(fake).total, 0);
  EXPECT_TRUE(type_asks.empty());
}

TEST(UsedShare, RoundsToTenthsBeforeScaling) {
  struct Case {
    int64_t used, total;
    const char* text;
  };
  const Case cases[] = {
      {49, 1000, "0"},     {50, 1000, "10"}, {749, 1000, "70"}, {750, 1000, "80"},
      {1000, 1000, "100"}, {0, 1000, "0"},   {0, 0, "0"},       {-1, 0, "0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(used_share_text(c.used, c.total), c.text) << c.used << "/" << c.total;
  }
}

// ---- Processor lines -------------------------------------------------------------

TEST(ProcessorLines, ClockTruncatesAndLinesAreExact) {
  EXPECT_EQ(mhz_from_ticks(1000, 1000 + 2394999999LL), 2394);
  EXPECT_EQ(mhz_from_ticks(5, 5 + 999999), 0);
  EXPECT_EQ(clock_line(2394), "CPU时钟频率： " + tab + "2394 Mhz\r\n");
  EXPECT_EQ(data_width_line(64), "CPU数据宽度： " + tab + "64 位\r\n");
  EXPECT_EQ(manufacturer_line("Intel Corporation"), "CPU制造商：   " + tab + "Intel Corporation\r\n");
  EXPECT_EQ(core_count_line("8"), "核心(线程)数：" + tab + "8\r\n");
  EXPECT_EQ(core_count_line(" 8 "), "核心(线程)数：" + tab + " 8 \r\n");
  EXPECT_EQ(core_count_line(""), "核心(线程)数：" + tab + "\r\n");
}

TEST(ProcessorLines, DataWidthOfEachFormOfTheProgram) {
  struct Row {
    const char* name;
    bool process_is_64_bit;
    bool under_wow64;
    int32_t width;
  };
  const Row rows[] = {
      {"32-bit program on 32-bit Windows", false, false, 32},
      {"32-bit program under WOW64", false, true, 64},
      {"64-bit program (never under WOW64)", true, false, 64},
      {"64-bit program, flag set all the same", true, true, 64},
  };
  for (const Row& r : rows) EXPECT_EQ(data_width(r.process_is_64_bit, r.under_wow64), r.width) << r.name;
}

TEST(ProcessorLines, LabelsAreTheGbkBytes) {
  // "CPU时钟频率： " in code page 936: the full-width colon is A3BA.
  const Text line = clock_line(1);
  EXPECT_EQ(line.substr(0, 14), "CPU\xCA\xB1\xD6\xD3\xC6\xB5\xC2\xCA\xA3\xBA ");
}

TEST(VendorTable, EveryRowAndTheDefault) {
  struct Case {
    const char* vendor;
    const char* manufacturer;
  };
  const Case cases[] = {
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
      {"genuineintel", "Unknown Manufacturer"},
      {"UMC UMC UMC", "Unknown Manufacturer"},
      {"HygonGenuine", "Unknown Manufacturer"},
      {"", "Unknown Manufacturer"},
  };
  for (const Case& c : cases) EXPECT_EQ(manufacturer_for_vendor(c.vendor), c.manufacturer) << c.vendor;
}

TEST(MachineTypeTable, EveryCodeAndTheDefault) {
  const std::map<int32_t, const char*> names = {
      {1, "其他"},
      {3, "台式计算机"},
      {4, "桌面卧式"},
      {5, "比萨盒"},
      {6, "微塔式"},
      {7, "塔式"},
      {8, "便携机"},
      {9, "便携式电脑"},
      {10, "笔记本"},
      {11, "手持式"},
      {12, "扩展坞"},
      {13, "一体式计算机"},
      {14, "小笔记簿型电脑"},
      {15, "不占地方的笔记本电脑"},
      {16, "便当盒"},
      {17, "主系统机箱"},
      {18, "智能插槽扩展器"},
      {19, "副基座系統"},
      {20, "总线扩展机箱"},
      {21, "周边机箱"},
      {22, "存储机箱"},
      {23, "机架式机箱"},
      {24, "密封机壳PC"},
  };
  for (int32_t code = -2; code <= 30; ++code) {
    auto it = names.find(code);
    EXPECT_EQ(machine_type_for_code(code), it == names.end() ? "未知设备" : it->second) << code;
  }
  // 統 is the traditional character: code page 936 bytes BD 79.
  EXPECT_EQ(machine_type_for_code(19).substr(8), "\xBD\x79");
}

TEST(HostLines, LabelsAreExact) {
  EXPECT_EQ(host_line("WORKSTATION"), "主机名：    " + tab + "WORKSTATION\r\n");
  EXPECT_EQ(machine_type_line("塔式"), "计算机类型：" + tab + "塔式\r\n");
  EXPECT_EQ(browser_line(""), "浏览器路径：" + tab + "\r\n");
}

// ---- Browser path shortening -----------------------------------------------------

TEST(ShortenBrowserPath, Table) {
  const Text q = "\"";
  const Text five_chinese = "浏览器程序";  // 10 bytes
  struct Case {
    Text in, out;
  };
  const Case cases[] = {
      // the usual command line
      {q + "C:\\Program Files\\Internet Explorer\\iexplore.exe" + q + " -nohome",
       q + "C:\\Progra~1\\Intern~1\\iexplore.exe"},
      {"C:\\Apps\\browser.exe", "C:\\Apps\\browser.exe"},
      {"C:\\Tools\\viewer.html", "C:\\Tools\\viewer.htm"},
      {"D:\\Apps\\Browser\\run", "D:\\Apps\\Browser\\run\\"},
      {"D:\\Browsers\\run", "D:\\Browsers\\run\\"},   // exactly 8 bytes stay whole
      {"D:\\Browsers1\\run", "D:\\Browse~1\\run\\"},  // 9 bytes are cut
      {q + "C:\\B\\b.exe" + q + " -p x.y", q + "C:\\B\\b.exe" + q + " -p x.y"},
      {"browser.exe", ""},
      {"", ""},
      {"\\", ""},    // one empty segment
      {"C:\\", ""},  // a trailing backslash adds no segment
      {"C:\\x\\", "C:\\x\\"},
      {"\\\\\\", "\\\\\\"},  // only backslashes: three empty segments
      {"\\\\", "\\\\"},
      {"\\a.exe", "\\a.exe"},          // a leading backslash gives an empty first segment
      {"C:\\\\a.exe", "C:\\\\a.exe"},  // two in a row give an empty segment
      {"C:\\Very Long Folder\\last segment without dot", "C:\\Very L~1\\last s~1\\"},
      {"C:\\a.b.c\\x.exe", "C:\\a.b.c\\x.exe"},  // a "." before the last segment counts for nothing
      {"C:\\x\\.", "C:\\x\\."},
      // Chinese folder names
      {"C:\\" + five_chinese + "\\a.exe", "C:\\浏览器~1\\a.exe"},
      {"C:\\" + Text("浏览器程") + "\\a.exe", "C:\\浏览器程\\a.exe"},  // 8 bytes stay
      // the sixth byte starts a character: the cut keeps five bytes
      {"C:\\a浏览器程\\a.exe", "C:\\a浏览~1\\a.exe"},
      // a backslash as the second byte of a character does not split:
      // 0x81 0x5C is one character
      {"C:\\ab\x81\\cd\\e.exe", "C:\\ab\x81\\cd\\e.exe"},
      {"C:\\abcdefg\x81\\hij\\e.exe", "C:\\abcdef~1\\e.exe"},
      // 0x81 before a byte that cannot follow a lead byte stands alone, so the
      // "." after it is a dot
      {"C:\\x\\ab\x81.cdef", "C:\\x\\ab\x81.cde"},
      // 0x80 (the euro sign) is a character of its own: the backslash after
      // it splits, and a cut may fall right after it
      {"C:\\abcdefg\x80\\hij\\e.exe", "C:\\abcdefg\x80\\hij\\e.exe"},
      {"C:\\abcde\x80xyz\\a.exe", "C:\\abcde\x80~1\\a.exe"},
      // a stray lead byte at the cut would pair with "~": it is left out
      {"C:\\abcde\x81.xyz\\a.exe", "C:\\abcde~1\\a.exe"},
      // keeping three bytes after the dot would split a character
      {"C:\\x\\a.b浏览", "C:\\x\\a.b浏"},
      {"C:\\x\\a.浏览", "C:\\x\\a.浏"},
      {"C:\\x\\a.b浏", "C:\\x\\a.b浏"},
      {"C:\\x\\a.bc浏", "C:\\x\\a.bc"},
  };
  for (const Case& c : cases) EXPECT_EQ(shorten_browser_path(c.in), c.out) << c.in;
}

// ---- Scripts and report ----------------------------------------------------------

TEST(Scripts, ProcessorIdScriptIsTheEightLines) {
  const Text script = processor_id_script;
  EXPECT_EQ(script.size(), 240u);
  EXPECT_EQ(script,
            "Function Getcpuid() \r\nDim cpuSet,cpu\r\n    Set cpuSet = GetObject(\"winmgmts:"
            "{impersonationLevel=impersonate}\").InstancesOf(\"Win32_Processor\")\r\n    For Each "
            "cpu In cpuSet\r\n      getcpuid=cpu.ProcessorId\r\n      exit for\r\n    Next\r\nend "
            "Function");
  EXPECT_STREQ(processor_id_function, "Getcpuid");
}

TEST(Scripts, ChassisScriptLines) {
  const Text script = chassis_type_script;
  std::vector<Text> lines;
  size_t from = 0;
  for (size_t at; (at = script.find("\r\n", from)) != Text::npos; from = at + 2) {
    lines.push_back(script.substr(from, at - from));
  }
  lines.push_back(script.substr(from));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "function getChassisType()");
  EXPECT_EQ(lines[1], "    strComputer = \".\" ");
  EXPECT_EQ(lines[2],
            "    Set objWMIService = GetObject(\"winmgmts:{impersonationLevel=impersonate}!\\\\\" & "
            "strComputer & \"\\root\\cimv2\") ");
  EXPECT_EQ(lines[3],
            "    Set colChassis = objWMIService.ExecQuery(\"Select * from Win32_SystemEnclosure\") ");
  EXPECT_EQ(lines[4], "    For Each objChassis in colChassis ");
  EXPECT_EQ(lines[5], "        For Each strChassisType in objChassis.ChassisTypes ");
  EXPECT_EQ(lines[6], "            getChassisType = strChassisType");
  EXPECT_EQ(lines[7], "        Next ");
  EXPECT_EQ(lines[8], "    Next");
  EXPECT_EQ(lines[9], "end function");
  EXPECT_STREQ(chassis_type_function, "getChassisType");
  EXPECT_STREQ(browser_command_path, "\\http\\shell\\open\\command\\");
}

TEST(IdentityReport, BeforeAnyRun) {
  const Text report = identity_report("2011年8月1日3时49分10秒", "BFEBFBFF000306A9", "", "");
  EXPECT_EQ(report,
            "==========计算机标识信息==========\r\n\r\n测试（本机）时间:2011年8月1日3时49分10秒"
            "\r\nCPU序列号:BFEBFBFF000306A9\r\n\r\n==========计算机信息==========\r\n\r\n"
            "\r\n==========运算性能信息==========\r\n\r\n\r\n");
  // three line breaks between the two headings, three at the end
  EXPECT_NE(report.find("==========\r\n\r\n\r\n=========="), Text::npos);
  EXPECT_EQ(report.substr(report.size() - 16), "==========\r\n\r\n\r\n");
  // the full-width parentheses are A3A8 and A3A9
  EXPECT_NE(report.find("\xB2\xE2\xCA\xD4\xA3\xA8\xB1\xBE\xBB\xFA\xA3\xA9"), Text::npos);
}

TEST(IdentityReport, EmptyIdGivesTheFallbackAndBoxesGoInside) {
  const Text report = identity_report("T", "", "A\r\nB\r\n", "C\r\n");
  EXPECT_EQ(report,
            "==========计算机标识信息==========\r\n\r\n测试（本机）时间:T\r\nCPU序列号:Get CPU SN "
            "failed！\r\n\r\n==========计算机信息==========\r\n\r\nA\r\nB\r\n"
            "\r\n==========运算性能信息==========\r\n\r\nC\r\n\r\n");
  // the full-width exclamation mark is A3A1
  EXPECT_NE(report.find("failed\xA3\xA1"), Text::npos);
}

}  // namespace
