// The fatal stops of the program, beside fatal_stop (platform/win/wide.h).
// Each shows an error message, then ends the process at once with exit code
// -1: no clean-up runs, no window is destroyed, no destructor is called.
#pragma once

#include <exception>
#include <new>

// Out of memory. Needs no memory of its own to show its message.
[[noreturn]] void fatal_out_of_memory();
// An exception that nothing in the program expects reached a window procedure
// or the message loop.
[[noreturn]] void fatal_unexpected_exception();

// A failed allocation anywhere (operator new) and anything that would reach
// std::terminate end in the stops above. Called once at start-up.
void install_fatal_handlers();

// Runs `body`; a std::bad_alloc or any other exception that leaves it ends the
// process through the stops above instead of unwinding into Windows code.
template <typename Body>
auto guard_fatal(Body&& body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    fatal_out_of_memory();
  } catch (...) {
    fatal_unexpected_exception();
  }
}
