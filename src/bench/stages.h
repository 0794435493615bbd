// The pieces of the evaluation that its tests and the loop benchmark call
// directly: the workers, their loops, the line texts and the sort.
#pragma once

#include <cstdint>

#include "bench/evaluation.h"
#include "text/text.h"

void addition_worker();
void multiplication_worker();
void logarithm_worker();

// The timed loops of one worker: two nested loops of block.loop_count
// iterations each around the stage's operation. Every iteration really runs,
// at any optimisation level.
void run_addition_loops(const StageBlock& block);
void run_multiplication_loops(const StageBlock& block);
void run_logarithm_loops(const StageBlock& block);

// Milliseconds from `from` to `to` on the tick counter, modulo 2^32, so a wrap
// of the counter in between still gives the right time.
int32_t ticks_between(int32_t from, int32_t to);

enum class Stage { addition, multiplication, logarithm };

// The report lines of a stage's completion and of the sort stage.
Text launch_line(Stage stage, int32_t thread_count, int32_t loop_count);
Text average_line(Stage stage, float thread_ms_total, int32_t thread_count);
Text total_line(Stage stage, int32_t elapsed_ms);
Text end_line(Stage stage);
Text sort_start_line(int32_t elements);
Text sort_time_line(int32_t sort_ms);
Text sort_end_line();
Text score_line(float score);

// `ms` added to a single-precision sum, the addition made in double precision.
float add_ms(float sum, int32_t ms);
// The score in seconds from the three stages' sum (ms) and the sort time.
float final_score(float stage_sum_ms, int32_t sort_ms);

// The sort stage's generator: a Park-Miller minimal standard generator
// (std::minstd_rand) seeded with the tick value; random_between maps its
// output onto low..high, both included, without bias by rejecting the draws
// above the largest whole multiple of the range. Per thread.
void seed_random(int32_t seed);
int32_t random_between(int32_t low, int32_t high);

// Fills `count` elements with random_between(0, 1048576), then sorts them with
// the exchange sort over all ordered pairs (i, j): exchange when a[i] < a[j].
// The array ends in ascending order.
void fill_random(int32_t* values, int32_t count);
void exchange_sort(int32_t* values, int32_t count);

// The sizes the stages use now (the program's own unless a test changed them).
int32_t stage_loop_count(Stage stage);
int32_t sort_element_count();
