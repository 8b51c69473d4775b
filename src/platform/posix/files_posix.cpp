// The parts of platform/files.h that need POSIX calls.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/files.h"

#if defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace tenrovel::platform {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
#if defined(__APPLE__)
  std::uint32_t size = 0;
  _NSGetExecutablePath(nullptr, &size);
  std::vector<char> buf(size + 1);
  if (_NSGetExecutablePath(buf.data(), &size) != 0)
    return fs::current_path();
  std::error_code ec;
  const fs::path exe = fs::canonical(buf.data(), ec);
  return ec ? fs::path(buf.data()).parent_path() : exe.parent_path();
#else
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : exe.parent_path();
#endif
}

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const fs::path& path, const std::string& bytes) {
  std::string temp = path.string() + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0)
    return false;
  // mkstemp gives owner-only access: keep the mode of the file it replaces,
  // or give a new file the usual one.
  struct stat existing {};
  ::fchmod(fd, ::stat(path.c_str(), &existing) == 0 ? existing.st_mode & 07777 : 0644);
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

PrivateTempFolder::PrivateTempFolder(const std::string& prefix) {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string pattern = (tmpdir != nullptr && *tmpdir != '\0') ? tmpdir : "/tmp";
  pattern += "/" + prefix + ".XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {  // mkdtemp creates the folder with mode 0700
    throw std::system_error(errno, std::generic_category(), "cannot create a temporary folder");
  }
  path_ = pattern;
}

PrivateTempFolder::~PrivateTempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace tenrovel::platform
