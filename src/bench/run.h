// The start and exit buttons (Windows only).
#pragma once

void run_evaluation();  // 按钮_开始评估
void quit_program();    // 按钮_退出
