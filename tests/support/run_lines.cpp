#include "run_lines.h"

#include <regex>
#include <string>

namespace support {

namespace {
bool starts_with(const Text& s, const Text& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }
bool ends_with(const Text& s, const Text& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

::testing::AssertionResult figure_line(const Text& line, const Text& label, int decimals,
                                       bool negative_allowed) {
  const Text unit = " 秒\r\n";
  if (!starts_with(line, label) || !ends_with(line, unit) || line.size() <= label.size() + unit.size())
    return ::testing::AssertionFailure() << "label or unit differ: " << ::testing::PrintToString(line);
  const std::string figure = line.substr(label.size(), line.size() - label.size() - unit.size());
  const std::string sign = negative_allowed ? "-?" : "";
  if (!std::regex_match(figure, std::regex(sign + "[0-9]+(\\.[0-9]{1," + std::to_string(decimals) + "})?")))
    return ::testing::AssertionFailure() << "figure '" << figure << "' in " << ::testing::PrintToString(line);
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult score_line_shape(const Text& line) {
  const Text label = "您的计算机评分： ";
  const Text tail = "（分数越低测试性能越高）\r\n";
  if (!starts_with(line, label) || !ends_with(line, tail) || line.size() <= label.size() + tail.size())
    return ::testing::AssertionFailure() << ::testing::PrintToString(line);
  const std::string figure = line.substr(label.size(), line.size() - label.size() - tail.size());
  if (!std::regex_match(figure, std::regex("[0-9]+(\\.[0-9]{1,3})?")))
    return ::testing::AssertionFailure() << "score '" << figure << "'";
  return ::testing::AssertionSuccess();
}

void expect_sixteen_lines(const std::vector<Text>& lines, const Text& addition, const Text& multiplication,
                          const Text& logarithm, const Text& sort, bool negative_allowed) {
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[0], "64线程、两层" + addition + "循环加法开始测试.....\r\n");
  EXPECT_TRUE(figure_line(lines[1], "单线程加法平均耗时：", 3, negative_allowed));
  EXPECT_TRUE(figure_line(lines[2], "加法总耗时：", 2, negative_allowed));
  EXPECT_EQ(lines[3], "加法测试结束...\r\n");
  EXPECT_EQ(lines[4], "64线程、两层" + multiplication + "循环乘法开始测试.....\r\n");
  EXPECT_TRUE(figure_line(lines[5], "单线程乘法平均耗时：", 3, negative_allowed));
  EXPECT_TRUE(figure_line(lines[6], "乘法总耗时：", 1, negative_allowed));
  EXPECT_EQ(lines[7], "乘法测试结束...\r\n");
  EXPECT_EQ(lines[8], "64线程、两层" + logarithm + "循环对数运算开始测试.....\r\n");
  EXPECT_TRUE(figure_line(lines[9], "单线程对数运算平均耗时：", 3, negative_allowed));
  EXPECT_TRUE(figure_line(lines[10], "对数运算总耗时：", 1, negative_allowed));
  EXPECT_EQ(lines[11], "对数运算测试结束...\r\n");
  EXPECT_EQ(lines[12], sort + "元素数组排序开始.....\r\n");
  EXPECT_TRUE(figure_line(lines[13], "排序运算总耗时：", 1, negative_allowed));
  EXPECT_EQ(lines[14], "排序运算测试结束...\r\n\r\n");
  EXPECT_TRUE(score_line_shape(lines[15]));
}

}  // namespace support
