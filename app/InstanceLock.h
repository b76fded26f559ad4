// A lock file held with flock(2) for the life of the process; it stands for a
// named mutex. The kernel drops the lock when the process ends, however it
// ends, so a crashed wizard never leaves a stale lock behind.
#pragma once

#include <string>

namespace kelvane {

class InstanceLock {
 public:
  enum class Result {
    kAcquired,       // this process holds the lock now
    kHeldElsewhere,  // another open of the file holds it (another process)
    kUnavailable,    // the file could not be opened
  };

  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Opens (creating, mode 0600) `path` and takes an exclusive lock without
  // waiting. A lock already held by this object is released first.
  Result Acquire(const std::string& path);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace kelvane
