// The shapes of an evaluation run's lines in the performance box, shared by
// the evaluation's unit tests and the end-to-end tests of runs.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "text/text.h"

namespace support {

// label, a figure (digits) with at most `decimals` decimals, " 秒\r\n". A
// minus sign is allowed with `negative_allowed` (a test's clock may run back).
::testing::AssertionResult figure_line(const Text& line, const Text& label, int decimals,
                                       bool negative_allowed = false);
// "您的计算机评分： ", a figure with at most three decimals, the closing remark.
::testing::AssertionResult score_line_shape(const Text& line);
// The sixteen lines of a run with these sizes (as the launch lines show
// them), each checked by its shape; the empty line after the sort's end line
// belongs to that line.
void expect_sixteen_lines(const std::vector<Text>& lines, const Text& addition, const Text& multiplication,
                          const Text& logarithm, const Text& sort, bool negative_allowed = false);

}  // namespace support
