// An evaluation run driven as the user drives it, shared by the end-to-end
// tests of runs: a session with the main window's controls, the confirmation,
// the lines of the performance box and their shapes, and a run to its score.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "harness.h"
#include "run_lines.h"

namespace e2e {

extern const char kConfirmation[];

struct Session {
  std::unique_ptr<Program> program;
  HWND main = nullptr;
  HWND performance = nullptr;
  HWND computer = nullptr;
  HWND start = nullptr;
  HWND exit = nullptr;
};

// Starts the program and finds the main window's controls.
::testing::AssertionResult open_session(Session& s, const Environment& environment,
                                        Variant variant = Variant::seams);
// Clicks start and answers the confirmation (checking its text and caption).
::testing::AssertionResult answer_start(const Session& s, int answer);

// The box's lines, each with its "\r\n"; the empty line after the sort's end
// line belongs to it.
std::vector<Text> lines_of(const Text& text);
std::vector<Text> performance_lines(const Session& s);
bool has_score(const Session& s);

// The line shapes of a run (figure_line, score_line_shape, expect_sixteen_lines).
using support::expect_sixteen_lines;
using support::figure_line;
using support::score_line_shape;
// Twelve lines of label, tab, value and unit.
void expect_computer_lines(const Session& s);

// Answers Yes and follows the run to its score line; on the way, the start
// button is disabled whenever the score has not been written yet, and enabled
// again afterwards.
void run_to_score(const Session& s, int timeout_ms);

}  // namespace e2e
