// The output file on POSIX: plain descriptors, so that every write reports
// its own failure (a full disk, a quota, a file-size limit).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/output_file.h"

namespace tenrovel::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::intptr_t kClosed = -1;

std::string Reason(int error) {
  return std::strerror(error);
}

}  // namespace

bool CanReplaceFile(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  // A read-only file in a folder we may write to can still be renamed over.
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  return ::access(folder.c_str(), W_OK) == 0;
}

FileFailure MoveFileOver(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0)
    return Reason(errno);
  return std::nullopt;
}

OutputFile::OutputFile() : handle_(kClosed) {}

OutputFile::~OutputFile() {
  if (IsOpen())
    ::close(static_cast<int>(handle_));
}

bool OutputFile::IsOpen() const {
  return handle_ != kClosed;
}

FileFailure OutputFile::Create(const fs::path& path, const fs::path& mode_from) {
  if (IsOpen())
    Close();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0)
    return Reason(errno);
  handle_ = fd;
  stream_ = false;
  // The replaced file keeps its access mode; failing that is no reason to stop.
  struct stat existing {};
  if (::stat(mode_from.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
    (void)::fchmod(fd, existing.st_mode & 07777);
  return std::nullopt;
}

FileFailure OutputFile::OpenStandardOutput() {
  if (IsOpen())
    Close();
  const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
  if (fd < 0)
    return Reason(errno);
  handle_ = fd;
  stream_ = true;
  return std::nullopt;
}

FileFailure OutputFile::Write(std::string_view bytes) {
  if (!IsOpen())
    return Reason(EBADF);
  while (!bytes.empty()) {
    const ssize_t n = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      reader_gone_ = errno == EPIPE;
      return Reason(errno);
    }
    if (n == 0)
      return Reason(EIO);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return std::nullopt;
}

FileFailure OutputFile::Close() {
  if (!IsOpen())
    return std::nullopt;
  const int fd = static_cast<int>(handle_);
  handle_ = kClosed;
  const int sync_error = stream_ || ::fsync(fd) == 0 ? 0 : errno;
  const int close_error = ::close(fd) == 0 ? 0 : errno;
  // fsync is not supported everywhere (some pipes and special files).
  if (sync_error != 0 && sync_error != EINVAL && sync_error != EROFS)
    return Reason(sync_error);
  if (close_error != 0)
    return Reason(close_error);
  return std::nullopt;
}

}  // namespace tenrovel::platform
