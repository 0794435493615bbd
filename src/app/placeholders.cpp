// Stand-ins for handlers and hooks that other parts of the program define, so
// that the program links while those parts are still being written. The file
// is compiled once per stand-in (QUELMO_PLACEHOLDER selects which) into a
// library of its own that is linked after all others: the linker takes a
// stand-in only when nothing else defines that function, so a real
// definition always wins. (Weak symbols would not do: in an archive they are
// not found under their own names.)
#include "bench/run.h"
#include "bench/test_hooks.h"
#include "platform/platform.h"
#include "sysinfo/sysinfo.h"
#include "ui/window.h"

#define QUELMO_PLACEHOLDER_IS(name) (QUELMO_PLACEHOLDER == QUELMO_PLACEHOLDER_##name)
#define QUELMO_PLACEHOLDER_run_evaluation 1
#define QUELMO_PLACEHOLDER_quit_program 2
#define QUELMO_PLACEHOLDER_copy_identity_report 3
#define QUELMO_PLACEHOLDER_set_sizes 4
#define QUELMO_PLACEHOLDER_begin_shutdown 5
#define QUELMO_PLACEHOLDER_delete_all_locks 6

#if QUELMO_PLACEHOLDER_IS(run_evaluation)
void run_evaluation() {}
#elif QUELMO_PLACEHOLDER_IS(quit_program)
void quit_program() { destroy_window(Window::main); }
#elif QUELMO_PLACEHOLDER_IS(copy_identity_report)
void copy_identity_report() {}
#elif QUELMO_PLACEHOLDER_IS(set_sizes)
void bench_test::set_sizes(int32_t, int32_t, int32_t, int32_t) {}
#elif QUELMO_PLACEHOLDER_IS(begin_shutdown)
void begin_shutdown() {}
#elif QUELMO_PLACEHOLDER_IS(delete_all_locks)
void delete_all_locks() {}
#endif
