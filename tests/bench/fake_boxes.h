// A recording stand-in for the main window's boxes and start button, for the
// evaluation's tests: clear() puts it in the window's place. Thread-safe:
// workers append from their own threads.
#pragma once

#include <thread>  // steady_clock and durations; <chrono> itself does not build with the GBK charset
#include <functional>
#include <vector>

#include "ui/boxes.h"

namespace fake_boxes {

struct Snapshot {
  std::vector<Text> computer_lines;     // appends since the box was last set
  std::vector<Text> performance_lines;  // appends since the box was last set
  int set_calls = 0;                    // set_box_text calls on either box
  std::vector<bool> button_changes;     // every set_start_button_enabled, in order
  int lines_before_last_enable = -1;    // performance lines when the button was last enabled
};

void clear();  // empties the record and puts the recorder in place
Snapshot snapshot();

// Called by every append_to_box while the line is being added (before it is
// recorded), with the box, the number of lines the box held before it and the
// line, on the appending thread. A test moves a fake clock here, or reads the
// evaluation's state at the moment the line is written. clear() keeps it;
// nullptr removes it.
using AppendObserver = std::function<void(Box box, size_t index, const Text& line)>;
void set_append_observer(AppendObserver observer);

// Polls until `done` holds for the recorded state or the deadline passes;
// returns the last snapshot either way.
Snapshot wait_for(const std::function<bool(const Snapshot&)>& done,
                  std::chrono::milliseconds deadline = std::chrono::seconds(60));

}  // namespace fake_boxes
