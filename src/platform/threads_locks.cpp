// Ticks, detached threads, the lock registry and the shutdown flag.
// Windows: GetTickCount, CreateThread, critical sections. Elsewhere (the native
// unit tests): the standard library.
#include "platform/platform.h"

#include <atomic>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <thread>  // steady_clock and durations; <chrono> itself does not build with the GBK charset
#include <system_error>
#endif

// One registered lock. Recursive: a finisher that holds the evaluation lock
// may launch the next stage, which can enter it again.
#ifdef _WIN32
struct PlatformLock {
  CRITICAL_SECTION section;
  PlatformLock() { InitializeCriticalSection(&section); }
  ~PlatformLock() { DeleteCriticalSection(&section); }
  PlatformLock(const PlatformLock&) = delete;
  PlatformLock& operator=(const PlatformLock&) = delete;
  void enter() { EnterCriticalSection(&section); }
  void leave() { LeaveCriticalSection(&section); }
};
#else
struct PlatformLock {
  std::recursive_mutex mutex;
  void enter() { mutex.lock(); }
  void leave() { mutex.unlock(); }
};
#endif

namespace {

std::atomic<platform_test::TickSource> tick_source{nullptr};
std::atomic<platform_test::ThreadStarter> thread_starter{nullptr};
std::atomic<bool> shutting_down{false};

// The registry holds each lock by shared ownership: deleting a handle only
// unregisters it, and the lock object is destroyed when its last holder (a
// guard, or a thread that entered it by handle) has left it.
struct LockRegistry {
  std::mutex guard;
  std::map<LockHandle, std::shared_ptr<PlatformLock>> locks;
  LockHandle last_handle = 0;
};

// Never destroyed: worker threads may still enter or leave locks while the
// process is ending, after static destructors would have run.
LockRegistry& registry() {
  static LockRegistry* const instance = new LockRegistry;
  return *instance;
}

std::shared_ptr<PlatformLock> find_lock(LockHandle handle) {
  if (handle == 0) return nullptr;
  LockRegistry& r = registry();
  std::lock_guard<std::mutex> hold(r.guard);
  auto it = r.locks.find(handle);
  return it == r.locks.end() ? nullptr : it->second;
}

// Locks this thread entered through enter_lock, newest last, each with the
// handle it was entered by. leave_lock leaves the object that was entered,
// even when the handle has been deleted in between, and never leaves a lock
// this thread does not hold. A plain pointer, because a thread_local object
// with a destructor is destroyed in the wrong order at thread exit with the
// MinGW runtime: the list lives on the heap only while the thread holds a lock
// entered by handle.
using EnteredLocks = std::vector<std::pair<LockHandle, std::shared_ptr<PlatformLock>>>;
thread_local EnteredLocks* entered_by_handle = nullptr;

#ifdef _WIN32
DWORD WINAPI thread_trampoline(void* routine) {
  reinterpret_cast<ThreadRoutine>(routine)();
  return 0;
}
#endif

bool start_real_thread(ThreadRoutine routine) {
#ifdef _WIN32
  HANDLE thread = CreateThread(nullptr, 0, thread_trampoline, reinterpret_cast<void*>(routine), 0, nullptr);
  if (thread == nullptr) return false;
  CloseHandle(thread);  // nobody waits for it
  return true;
#else
  try {
    std::thread(routine).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
#endif
}

int32_t real_tick_count() {
#ifdef _WIN32
  return static_cast<int32_t>(GetTickCount());
#else
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
  return static_cast<int32_t>(static_cast<uint32_t>(ms));
#endif
}

}  // namespace

int32_t tick_count() {
  const platform_test::TickSource source = tick_source.load(std::memory_order_acquire);
  return source != nullptr ? source() : real_tick_count();
}

bool start_thread(ThreadRoutine routine) {
  const platform_test::ThreadStarter starter = thread_starter.load(std::memory_order_acquire);
  return starter != nullptr ? starter(routine) : start_real_thread(routine);
}

LockHandle create_lock() {
  auto lock = std::make_shared<PlatformLock>();
  LockRegistry& r = registry();
  std::lock_guard<std::mutex> hold(r.guard);
  // Handles count up and skip 0 and any handle still registered after a wrap.
  do {
    ++r.last_handle;
  } while (r.last_handle == 0 || r.locks.count(r.last_handle) != 0);
  r.locks.emplace(r.last_handle, std::move(lock));
  return r.last_handle;
}

void enter_lock(LockHandle handle) {
  std::shared_ptr<PlatformLock> lock = find_lock(handle);
  if (lock == nullptr) return;
  lock->enter();
  if (entered_by_handle == nullptr) entered_by_handle = new EnteredLocks;
  entered_by_handle->emplace_back(handle, std::move(lock));
}

void leave_lock(LockHandle handle) {
  EnteredLocks* entered = entered_by_handle;
  if (entered == nullptr) return;
  for (auto it = entered->rbegin(); it != entered->rend(); ++it) {
    if (it->first != handle) continue;
    std::shared_ptr<PlatformLock> lock = std::move(it->second);
    entered->erase(std::next(it).base());
    if (entered->empty()) {
      delete entered;
      entered_by_handle = nullptr;
    }
    lock->leave();
    return;
  }
}

bool delete_lock(LockHandle handle) {
  if (handle == 0) return false;
  std::shared_ptr<PlatformLock> lock;
  {
    LockRegistry& r = registry();
    std::lock_guard<std::mutex> hold(r.guard);
    auto it = r.locks.find(handle);
    if (it == r.locks.end()) return false;
    lock = std::move(it->second);
    r.locks.erase(it);
  }
  return true;  // `lock` goes here unless a holder still keeps it
}

void delete_all_locks() {
  std::map<LockHandle, std::shared_ptr<PlatformLock>> gone;
  LockRegistry& r = registry();
  {
    std::lock_guard<std::mutex> hold(r.guard);
    gone.swap(r.locks);
  }
}

LockGuard::LockGuard(LockHandle handle) : lock_(find_lock(handle)) {
  if (lock_ != nullptr) lock_->enter();
}

LockGuard::~LockGuard() {
  if (lock_ != nullptr) lock_->leave();
}

void begin_shutdown() { shutting_down.store(true, std::memory_order_seq_cst); }

bool shutdown_begun() { return shutting_down.load(std::memory_order_seq_cst); }

namespace platform_test {
void set_tick_source(TickSource source) { tick_source.store(source, std::memory_order_release); }
void set_thread_starter(ThreadStarter starter) { thread_starter.store(starter, std::memory_order_release); }
void reset_shutdown() { shutting_down.store(false, std::memory_order_seq_cst); }
}  // namespace platform_test
