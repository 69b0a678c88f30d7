#include "core/sync.h"

#include <atomic>

namespace nv {

// A semaphore whose count never exceeds one: a release of a free room fails
// harmlessly instead of raising the count.
struct CSyncLock::Shared {
  std::timed_mutex mutex;
  std::mutex roomMutex;
  std::condition_variable roomFreed;
  bool roomFree = true;
  std::atomic<int> readers{0};  // changed under `mutex`, read without it
  std::atomic<bool> released{false};

  bool TakeRoom(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> guard(roomMutex);
    if (!roomFreed.wait_for(guard, wait, [this] { return roomFree || released; })) return false;
    if (released) return false;
    roomFree = false;
    return true;
  }

  bool GiveRoom() {
    {
      std::lock_guard<std::mutex> guard(roomMutex);
      if (roomFree) return false;
      roomFree = true;
    }
    roomFreed.notify_one();
    return true;
  }
};

CSyncLock::CSyncLock() : shared_(std::make_shared<Shared>()) {}

bool CSyncLock::Initialize() {
  shared_ = std::make_shared<Shared>();
  return true;
}

bool CSyncLock::AcquireReadLock() {
  auto s = shared_;
  if (s->released || !s->mutex.try_lock_for(kWait)) return false;
  if (++s->readers == 1) s->TakeRoom(kWait);  // a timed-out wait is not acted on
  s->mutex.unlock();
  return true;
}

bool CSyncLock::ReleaseReadLock() {
  auto s = shared_;
  if (s->released || !s->mutex.try_lock_for(kWait)) return false;
  if (--s->readers == 0) s->GiveRoom();
  s->mutex.unlock();
  return true;
}

bool CSyncLock::AcquireWriteLock() { return shared_->TakeRoom(kWait); }

bool CSyncLock::ReleaseWriteLock() { return shared_->GiveRoom(); }

bool CSyncLock::IsReadable() const { return shared_->readers > 0; }

bool CSyncLock::IsWritable() {
  if (shared_->readers > 1) return false;
  if (!shared_->TakeRoom(std::chrono::milliseconds(0))) return true;
  shared_->GiveRoom();
  return false;
}

bool CSyncLock::Release() {
  auto s = shared_;
  {
    std::lock_guard<std::mutex> guard(s->roomMutex);
    if (!s->roomFree) return false;
    s->released = true;
  }
  s->roomFreed.notify_all();
  return true;
}

}  // namespace nv
