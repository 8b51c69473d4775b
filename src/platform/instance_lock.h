// Keeps a second copy of the program from running at the same time.
// Windows: the named mutex, created with initial ownership and held for the
// whole run. POSIX: a per-user lock file held with flock, which the system
// releases when the process ends, so a crash never leaves a stale lock.
#pragma once

#include <memory>
#include <string>

namespace tenrovel::platform {

class InstanceLock {
 public:
  // `name` is the mutex name on Windows and the lock file's base name elsewhere.
  explicit InstanceLock(const std::string& name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // False when another copy holds the lock or the lock could not be taken.
  bool acquired() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tenrovel::platform
