#include "fake_boxes.h"

#include <mutex>
#include <thread>
#include <utility>

namespace {
std::mutex guard;
fake_boxes::Snapshot state;
fake_boxes::AppendObserver observer;

std::vector<Text>& lines_of(Box box) {
  return box == Box::computer_info ? state.computer_lines : state.performance_lines;
}

void append(Box box, const Text& text) {
  std::lock_guard<std::mutex> hold(guard);
  if (observer) observer(box, lines_of(box).size(), text);
  lines_of(box).push_back(text);
}

void set_text(Box box, const Text& text) {
  std::lock_guard<std::mutex> hold(guard);
  ++state.set_calls;
  lines_of(box).clear();
  if (!text.empty()) lines_of(box).push_back(text);
}

Text get_text(Box box) {
  std::lock_guard<std::mutex> hold(guard);
  Text all;
  for (const Text& line : lines_of(box)) all += line;
  return all;
}

void set_start_enabled(bool enabled) {
  std::lock_guard<std::mutex> hold(guard);
  state.button_changes.push_back(enabled);
  if (enabled) state.lines_before_last_enable = static_cast<int>(state.performance_lines.size());
}

const BoxOperations kRecording = {append, set_text, get_text, set_start_enabled};

}  // namespace

namespace fake_boxes {

void clear() {
  std::lock_guard<std::mutex> hold(guard);
  state = Snapshot();
  set_box_operations(&kRecording);
}

void set_append_observer(AppendObserver new_observer) {
  std::lock_guard<std::mutex> hold(guard);
  observer = std::move(new_observer);
}

Snapshot snapshot() {
  std::lock_guard<std::mutex> hold(guard);
  return state;
}

Snapshot wait_for(const std::function<bool(const Snapshot&)>& done, std::chrono::milliseconds deadline) {
  const auto until = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    Snapshot now = snapshot();
    if (done(now) || std::chrono::steady_clock::now() >= until) return now;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace fake_boxes
