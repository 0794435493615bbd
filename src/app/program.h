// The life of the process: start-up, the main thread's message loop and the
// end of the process.
#pragma once

// Start-up in its fixed order, then the message loop; returns 0.
int program_main();

// Runs the main thread's message loop until the quit message; returns at once
// when no window of the program is open.
void run_message_loop();

// Called by the windows whenever one of them has been destroyed: once none is
// left open (and the loop is running), the quit message is posted.
void note_window_destroyed();

// The process-wide records freed in their fixed order (the About texts, the
// processor record, the processor id), each by the subsystem that owns it.
void release_globals();

// The exit clean-up: one routine, called at most once at a normal end.
void register_exit_cleanup(void (*cleanup)());

// The end of the process after program_main has returned: the exit clean-up,
// the remaining locks, Windows Sockets, COM; then the process ends with
// `exit_code` without waiting for any thread still running.
[[noreturn]] void end_process(int exit_code);
