// File operations that std::filesystem does the same way on every system.
#include "platform/files.h"

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <system_error>

namespace tenrovel::platform {

namespace fs = std::filesystem;

bool FileExists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec) && !fs::is_directory(path, ec);
}

bool FolderExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool DeleteFileAt(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
  return !fs::exists(fs::symlink_status(path, ec));
}

std::optional<std::string> ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad())
    return std::nullopt;
  return std::move(bytes).str();
}

bool FolderIsWritable(const fs::path& folder) {
  std::random_device random;
  const fs::path probe = folder / (".write-probe-" + std::to_string(random()));
  {
    std::ofstream out(probe, std::ios::binary);
    if (!out)
      return false;
  }
  std::error_code ec;
  fs::remove(probe, ec);
  return true;
}

}  // namespace tenrovel::platform
