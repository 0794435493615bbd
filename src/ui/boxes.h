// Operations on the two text boxes of the main window and its start button.
// The main window carries them out while it exists (appends from other
// threads wait for its thread); a test may put its own in their place.
// Without either, they do nothing and a box reads as empty.
#pragma once

#include "text/text.h"

enum class Box { computer_info, performance_info };  // 编辑框_计算机信息, 编辑框_性能信息

// Adds `text` at the very end of the box, whatever is selected, and scrolls to it.
// Callable from any thread; returns once the text is in the box (or at once when
// the window no longer exists).
void append_to_box(Box box, const Text& text);
void set_box_text(Box box, const Text& text);  // main thread only
Text get_box_text(Box box);                    // main thread only

// Enables or disables 按钮_开始评估. Callable from any thread; synchronous like
// append_to_box.
void set_start_button_enabled(bool enabled);

// Who carries the operations out.
struct BoxOperations {
  void (*append)(Box box, const Text& text);
  void (*set_text)(Box box, const Text& text);
  Text (*get_text)(Box box);
  void (*set_start_enabled)(bool enabled);
};
// nullptr: nobody (the operations do nothing).
void set_box_operations(const BoxOperations* operations);
