// A reader-writer lock with bounded waits, and a value guarded by one.
//
// Every wait gives up after 5000 ms; callers then go on and still make the
// matching release call, so the lock bounds a wait rather than guaranteeing
// exclusion. The room is a semaphore, not a mutex, because the last reader out
// may release it on another thread than the first reader in. Copies share one
// lock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace nv {

class CSyncLock {
 public:
  static constexpr std::chrono::milliseconds kWait{5000};

  CSyncLock();
  // Creates a fresh lock for this object; false when that failed.
  bool Initialize();

  bool AcquireReadLock();
  bool ReleaseReadLock();
  bool AcquireWriteLock();
  bool ReleaseWriteLock();

  // True while readers are inside.
  bool IsReadable() const;
  // True when a writer holds the room (at most one reader inside).
  bool IsWritable();
  // Gives the lock up when nobody holds it; every later wait then fails at once.
  bool Release();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

template <typename T>
class CSyncData {
 public:
  T value{};

  bool lock_read() { return lock_.AcquireReadLock(); }
  bool unlock_read() { return lock_.ReleaseReadLock(); }
  bool lock_write() { return lock_.AcquireWriteLock(); }
  bool unlock_write() { return lock_.ReleaseWriteLock(); }
  CSyncLock& lock() { return lock_; }

 private:
  CSyncLock lock_;
};

// Scoped access in the system's pattern: acquire (possibly timing out), use,
// always release.
template <typename T>
class ReadAccess {
 public:
  explicit ReadAccess(CSyncData<T>& data) : data_(data) { data_.lock_read(); }
  ~ReadAccess() { data_.unlock_read(); }
  ReadAccess(const ReadAccess&) = delete;
  ReadAccess& operator=(const ReadAccess&) = delete;
  const T& operator*() const { return data_.value; }
  const T* operator->() const { return &data_.value; }

 private:
  CSyncData<T>& data_;
};

template <typename T>
class WriteAccess {
 public:
  explicit WriteAccess(CSyncData<T>& data) : data_(data) { data_.lock_write(); }
  ~WriteAccess() { data_.unlock_write(); }
  WriteAccess(const WriteAccess&) = delete;
  WriteAccess& operator=(const WriteAccess&) = delete;
  T& operator*() const { return data_.value; }
  T* operator->() const { return &data_.value; }

 private:
  CSyncData<T>& data_;
};

}  // namespace nv
