// Operations on the two text boxes of the main window. In the program they are
// carried out by the main thread (appends from other threads wait for it); the
// native unit tests link a recording fake instead.
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
