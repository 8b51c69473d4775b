// Single instance on POSIX: an exclusive flock on a per-user lock file. The
// kernel drops the lock when the process ends, however it ends.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/instance_lock.h"

namespace tenrovel::platform {

struct InstanceLock::Impl {
  int fd = -1;
  ~Impl() {
    if (fd >= 0)
      ::close(fd);  // closing releases the lock
  }
};

namespace {

std::string LockFilePath(const std::string& name) {
  // The runtime folder is private to the user; /tmp is shared, so the file
  // name carries the user id and is never followed through a link.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0')
    return std::string(runtime) + "/" + name + ".lock";
  return "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock";
}

}  // namespace

InstanceLock::InstanceLock(const std::string& name) : impl_(std::make_unique<Impl>()) {
  const std::string path = LockFilePath(name);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0)
    return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return;
  }
  impl_->fd = fd;
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::acquired() const {
  return impl_->fd >= 0;
}

}  // namespace tenrovel::platform
