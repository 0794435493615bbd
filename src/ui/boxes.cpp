#include "ui/boxes.h"

#include <atomic>

namespace {
std::atomic<const BoxOperations*> g_operations{nullptr};
}  // namespace

void set_box_operations(const BoxOperations* operations) { g_operations.store(operations); }

void append_to_box(Box box, const Text& text) {
  if (const BoxOperations* o = g_operations.load()) o->append(box, text);
}

void set_box_text(Box box, const Text& text) {
  if (const BoxOperations* o = g_operations.load()) o->set_text(box, text);
}

Text get_box_text(Box box) {
  if (const BoxOperations* o = g_operations.load()) return o->get_text(box);
  return Text();
}

void set_start_button_enabled(bool enabled) {
  if (const BoxOperations* o = g_operations.load()) o->set_start_enabled(enabled);
}
