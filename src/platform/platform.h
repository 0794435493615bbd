// The thin layer under the evaluation that exists on Windows and natively:
// the tick counter, detached threads, the lock registry and the shutdown flag.
// Windows uses GetTickCount, CreateThread and critical sections; the native
// build (unit tests) uses the standard library.
#pragma once

#include <cstdint>
#include <memory>

// Milliseconds since system start, as a signed 32-bit value (wraps).
int32_t tick_count();

// Starts a detached thread running `routine`; nobody waits for it.
// Returns whether the thread was started.
using ThreadRoutine = void (*)();
bool start_thread(ThreadRoutine routine);

// Lock registry. Handles are never 0. enter/leave/delete do nothing for a
// handle that names no lock (0 or deleted). Locks are recursive.
using LockHandle = uint32_t;
LockHandle create_lock();
void enter_lock(LockHandle handle);
void leave_lock(LockHandle handle);
bool delete_lock(LockHandle handle);
void delete_all_locks();  // end of process

// Enters the lock named by `handle` for the life of the guard. The guard keeps
// the very lock object it entered and leaves that one, even when the handle has
// been deleted meanwhile (the object lives on until its last holder has left).
// Holds nothing when the handle names no lock.
struct PlatformLock;
class LockGuard {
 public:
  explicit LockGuard(LockHandle handle);
  ~LockGuard();
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;
  bool held() const { return lock_ != nullptr; }

 private:
  std::shared_ptr<PlatformLock> lock_;
};

// Set once the program has begun to end (Exit, or the main window closed
// while a run is in progress): stages stop launching and workers stop reporting.
void begin_shutdown();
bool shutdown_begun();

// Test seams. All are off in the program; tests switch them on.
namespace platform_test {
using TickSource = int32_t (*)();
using ThreadStarter = bool (*)(ThreadRoutine);
void set_tick_source(TickSource source);         // nullptr: the real counter
void set_thread_starter(ThreadStarter starter);  // nullptr: real threads
void reset_shutdown();
}  // namespace platform_test
