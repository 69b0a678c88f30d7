#include "core/sync.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

namespace nv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Runs f on a thread of its own and waits for it.
void OnOtherThread(const std::function<void()>& f) { std::thread(f).join(); }

TEST(CSyncLockTest, WriterGetsInWhenTheLastReaderLeavesOnAnyThread) {
  CSyncLock lock;
  ASSERT_TRUE(lock.AcquireReadLock());  // the first reader takes the room
  bool second = false;
  Clock::duration waited{};
  OnOtherThread([&] {
    auto start = Clock::now();
    second = lock.AcquireReadLock();  // only counts itself in
    waited = Clock::now() - start;
  });
  EXPECT_TRUE(second);
  EXPECT_LT(waited, 1s);
  EXPECT_TRUE(lock.IsReadable());

  std::atomic<bool> writerIn{false};
  std::thread writer([&] { writerIn = lock.AcquireWriteLock(); });
  ASSERT_TRUE(lock.ReleaseReadLock());  // the room's taker leaves first
  std::this_thread::sleep_for(100ms);
  EXPECT_FALSE(writerIn);
  // The last reader out frees the room although another thread took it.
  auto start = Clock::now();
  OnOtherThread([&] { EXPECT_TRUE(lock.ReleaseReadLock()); });
  writer.join();
  EXPECT_TRUE(writerIn);
  EXPECT_LT(Clock::now() - start, 3s);
  EXPECT_FALSE(lock.IsReadable());
  EXPECT_TRUE(lock.ReleaseWriteLock());
}

TEST(CSyncLockTest, WriteAcquisitionGivesUpAfterFiveSeconds) {
  CSyncLock lock;
  ASSERT_TRUE(lock.AcquireWriteLock());
  bool acquired = true;
  Clock::duration waited{};
  OnOtherThread([&] {
    auto start = Clock::now();
    acquired = lock.AcquireWriteLock();
    waited = Clock::now() - start;
  });
  EXPECT_FALSE(acquired);
  EXPECT_GE(waited, 4900ms);
  EXPECT_LT(waited, 15s);
  EXPECT_TRUE(lock.IsWritable());  // the holder still has it
}

TEST(CSyncLockTest, IsWritableTellsWhetherTheRoomIsHeld) {
  CSyncLock free;
  EXPECT_FALSE(free.IsWritable());
  EXPECT_FALSE(free.IsWritable());  // the probe gave the room back
  ASSERT_TRUE(free.AcquireWriteLock());
  EXPECT_TRUE(free.IsWritable());

  CSyncLock read;
  ASSERT_TRUE(read.AcquireReadLock());
  EXPECT_TRUE(read.IsWritable());
  ASSERT_TRUE(read.AcquireReadLock());
  EXPECT_FALSE(read.IsWritable());  // more than one reader inside
}

TEST(CSyncLockTest, ReleasingAFreeRoomDoesNotRaiseItsCount) {
  CSyncLock lock;
  EXPECT_FALSE(lock.ReleaseWriteLock());
  ASSERT_TRUE(lock.AcquireWriteLock());
  EXPECT_TRUE(lock.IsWritable());  // one acquisition took the whole room
}

TEST(CSyncLockTest, ReleaseOnlyGivesUpAFreeLock) {
  CSyncLock held;
  ASSERT_TRUE(held.AcquireWriteLock());
  EXPECT_FALSE(held.Release());
  EXPECT_TRUE(held.ReleaseWriteLock());  // still working
  EXPECT_TRUE(held.AcquireWriteLock());

  CSyncLock free;
  EXPECT_TRUE(free.Release());
  auto start = Clock::now();
  EXPECT_FALSE(free.AcquireWriteLock());
  EXPECT_FALSE(free.AcquireReadLock());
  EXPECT_LT(Clock::now() - start, 1s);  // given up at once, not after a wait
}

TEST(CSyncLockTest, CopiesShareOneLock) {
  CSyncLock original;
  CSyncLock copy = original;
  ASSERT_TRUE(original.AcquireWriteLock());
  EXPECT_TRUE(copy.IsWritable());
  EXPECT_TRUE(copy.ReleaseWriteLock());
  EXPECT_FALSE(original.IsWritable());

  // Initialize gives an object a lock of its own.
  ASSERT_TRUE(copy.Initialize());
  ASSERT_TRUE(original.AcquireWriteLock());
  EXPECT_FALSE(copy.IsWritable());

  CSyncData<int> data;
  data.value = 5;
  CSyncData<int> dataCopy = data;
  EXPECT_EQ(dataCopy.value, 5);
  ASSERT_TRUE(data.lock_write());
  EXPECT_TRUE(dataCopy.lock().IsWritable());
  EXPECT_TRUE(dataCopy.unlock_write());
  EXPECT_FALSE(data.lock().IsWritable());
}

TEST(CSyncLockTest, ScopedAccessReleasesOnLeaving) {
  CSyncData<int> data;
  {
    WriteAccess<int> access(data);
    *access = 7;
    EXPECT_TRUE(data.lock().IsWritable());
  }
  EXPECT_FALSE(data.lock().IsWritable());
  {
    ReadAccess<int> access(data);
    EXPECT_EQ(*access, 7);
    EXPECT_TRUE(data.lock().IsReadable());
  }
  EXPECT_FALSE(data.lock().IsReadable());
  EXPECT_FALSE(data.lock().IsWritable());
}

}  // namespace
}  // namespace nv
