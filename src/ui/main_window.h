// MainWindow: the window the program opens at start, with the two boxes every
// report line goes to (ui/boxes.h) and four buttons whose handlers the
// program hands it.
#pragma once

struct WindowDefinition;

const WindowDefinition& main_window();

// What the four buttons run when clicked (Enter and Space included). A
// handler not given does nothing.
struct MainWindowHandlers {
  void (*about)() = nullptr;  // 按钮_关于
  void (*start)() = nullptr;  // 按钮_开始评估
  void (*copy)() = nullptr;   // 按钮_复制到剪贴板
  void (*exit)() = nullptr;   // 按钮_退出
};
void set_main_window_handlers(const MainWindowHandlers& handlers);
