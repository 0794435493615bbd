// The process-wide record of the performance evaluation and its staged workers.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct StageBlock {
  int32_t start_tick;
  int32_t thread_count;
  int32_t loop_count;
  float thread_ms_total;  // each addition made in double precision
};

struct EvaluationState {
  LockHandle lock_handle;
  int32_t addition_done;
  int32_t multiplication_done;
  int32_t logarithm_done;
  float score;  // ms sum during a run, the score in seconds after the sort stage
  StageBlock addition;
  StageBlock multiplication;
  StageBlock logarithm;
  int32_t sort_ms;
};

extern EvaluationState evaluation_state;

// Main thread, after the user confirmed: empties both boxes, zeroes the per-run
// fields, deletes the previous run's lock and creates a new one.
void reset_evaluation();

// True from reset_evaluation until the score line of that run is written.
bool evaluation_in_progress();

void launch_addition_stage();
void launch_multiplication_stage();
void launch_logarithm_stage();
void run_sort_stage();
