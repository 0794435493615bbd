// The lock registry, threads, ticks and the shutdown flag of the platform layer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>  // steady_clock and durations; <chrono> itself does not build with the GBK charset
#include <set>
#include <vector>

#include "platform/platform.h"

namespace {

template <class Done>
bool poll_until(Done done, std::chrono::seconds deadline = std::chrono::seconds(30)) {
  const auto until = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

TEST(LockRegistry, HandlesAreNeverZeroAndDistinct) {
  std::set<LockHandle> seen;
  for (int i = 0; i < 100; ++i) {
    const LockHandle h = create_lock();
    EXPECT_NE(h, 0u);
    EXPECT_TRUE(seen.insert(h).second);
  }
  for (LockHandle h : seen) EXPECT_TRUE(delete_lock(h));
}

TEST(LockRegistry, ZeroAndDeletedHandlesDoNothing) {
  const LockHandle deleted = create_lock();
  ASSERT_TRUE(delete_lock(deleted));
  for (LockHandle h : {LockHandle{0}, deleted, LockHandle{0xFFFFFFF0u}}) {
    enter_lock(h);
    leave_lock(h);
    leave_lock(h);
    EXPECT_FALSE(delete_lock(h));
    LockGuard guard(h);
    EXPECT_FALSE(guard.held());
  }
}

// The lock is recursive: after two enters and two leaves another thread can
// take it (a missing recursion would hang at the second enter).
TEST(LockRegistry, RecursiveEntriesAreLeftOneByOne) {
  const LockHandle h = create_lock();
  enter_lock(h);
  enter_lock(h);
  {
    LockGuard again(h);
    EXPECT_TRUE(again.held());
  }
  leave_lock(h);
  leave_lock(h);
  std::thread other([h] {
    LockGuard guard(h);
    EXPECT_TRUE(guard.held());
  });
  other.join();
  delete_lock(h);
}

// Counting without atomics under the lock from many threads gives the exact
// count (and ThreadSanitizer sees no race).
TEST(LockRegistry, ExcludesOtherThreads) {
  const LockHandle h = create_lock();
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([h, &counter, t] {
      for (int i = 0; i < 2000; ++i) {
        if ((i + t) % 2 == 0) {
          LockGuard guard(h);
          ++counter;
        } else {
          enter_lock(h);
          ++counter;
          leave_lock(h);
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(counter, 8 * 2000);
  delete_lock(h);
}

TEST(LockRegistry, DeletingAHeldLockThenLeavingIsSafe) {
  // By handle: the thread leaves the lock object it entered.
  const LockHandle by_handle = create_lock();
  enter_lock(by_handle);
  EXPECT_TRUE(delete_lock(by_handle));
  leave_lock(by_handle);
  leave_lock(by_handle);  // nothing more to leave

  // Through a guard on another thread, deleted meanwhile by this thread.
  const LockHandle h = create_lock();
  std::atomic<bool> entered{false}, deleted{false};
  std::thread worker([&] {
    LockGuard guard(h);
    EXPECT_TRUE(guard.held());
    entered = true;
    while (!deleted) std::this_thread::yield();
  });
  ASSERT_TRUE(poll_until([&] { return entered.load(); }));
  EXPECT_TRUE(delete_lock(h));
  deleted = true;
  worker.join();
  enter_lock(h);  // gone from the registry
  EXPECT_FALSE(delete_lock(h));
}

// A thread that did not enter a lock cannot leave it for its holder.
TEST(LockRegistry, LeavingALockNotEnteredDoesNothing) {
  const LockHandle h = create_lock();
  leave_lock(h);  // not entered by this thread
  long counter = 0;
  enter_lock(h);
  std::thread stranger([h] { leave_lock(h); });
  stranger.join();
  std::thread other([h, &counter] {
    LockGuard guard(h);
    ++counter;
  });
  ++counter;  // still ours alone
  leave_lock(h);
  other.join();
  EXPECT_EQ(counter, 2);
  delete_lock(h);
}

TEST(LockRegistry, DeleteAllUnregistersEveryLock) {
  const LockHandle a = create_lock();
  const LockHandle b = create_lock();
  LockGuard held(b);
  delete_all_locks();
  EXPECT_FALSE(delete_lock(a));
  EXPECT_FALSE(delete_lock(b));
  EXPECT_TRUE(held.held());  // left safely when the guard ends
}

std::atomic<int> routine_runs{0};
void count_run() { ++routine_runs; }

TEST(Threads, StartedThreadRunsItsRoutine) {
  routine_runs = 0;
  ASSERT_TRUE(start_thread(count_run));
  ASSERT_TRUE(start_thread(count_run));
  EXPECT_TRUE(poll_until([] { return routine_runs.load() == 2; }));
}

int starter_calls = 0;
bool refusing_starter(ThreadRoutine) {
  ++starter_calls;
  return false;
}
int32_t fixed_ticks() { return -42; }

TEST(Threads, SeamsReplaceTheStarterAndTheTicks) {
  starter_calls = 0;
  platform_test::set_thread_starter(refusing_starter);
  EXPECT_FALSE(start_thread(count_run));
  EXPECT_EQ(starter_calls, 1);
  platform_test::set_thread_starter(nullptr);

  platform_test::set_tick_source(fixed_ticks);
  EXPECT_EQ(tick_count(), -42);
  platform_test::set_tick_source(nullptr);
  const int32_t a = tick_count();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const int32_t b = tick_count();
  const int32_t elapsed = static_cast<int32_t>(static_cast<uint32_t>(b) - static_cast<uint32_t>(a));
  EXPECT_GE(elapsed, 10);  // the counter moves in milliseconds
}

TEST(Shutdown, FlagIsSetOnceAndResetForTests) {
  platform_test::reset_shutdown();
  EXPECT_FALSE(shutdown_begun());
  begin_shutdown();
  begin_shutdown();
  EXPECT_TRUE(shutdown_begun());
  platform_test::reset_shutdown();
  EXPECT_FALSE(shutdown_begun());
}

}  // namespace
