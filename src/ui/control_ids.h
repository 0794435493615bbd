// Window classes and control identifiers of the program's two windows. The
// controls keep the names their windows give them.
#pragma once

namespace ui_ids {

// Window class names (the titles are the windows' own texts).
inline constexpr wchar_t kMainWindowClass[] = L"QuelmoMainWindow";
inline constexpr wchar_t kAboutWindowClass[] = L"QuelmoAboutWindow";

// MainWindow, in the order of its template.
enum MainControl : int {
  按钮_关于 = 1001,
  按钮_退出 = 1002,
  分组框_运算性能信息 = 1003,
  编辑框_性能信息 = 1004,  // child of 分组框_运算性能信息
  按钮_复制到剪贴板 = 1005,
  编辑框_计算机信息 = 1006,  // child of 分组框_计算机信息
  按钮_开始评估 = 1007,
  标签_主标题 = 1008,
  分组框_计算机信息 = 1009,
};

// AboutWindow.
enum AboutControl : int {
  Email = 2001,
  打开博客 = 2002,
  关于_内容 = 2003,
  确定 = 2004,
  关于窗口主标签 = 2005,
};

}  // namespace ui_ids
