// The parts of platform/files.h that need Windows calls.
#include <windows.h>

#include <random>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"

namespace tenrovel::platform {

namespace fs = std::filesystem;

namespace {

// Closes a Windows handle when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  bool Close() {
    if (!valid())
      return true;
    const bool ok = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

}  // namespace

fs::path ProgramFolder() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0)
      return fs::current_path();
    if (n < buf.size())
      return fs::path(std::wstring(buf.data(), n)).parent_path();
    buf.resize(buf.size() * 2);
  }
}

bool ReplaceFileAtomically(const fs::path& path, const std::string& bytes) {
  std::random_device random;
  const fs::path temp = path.wstring() + L"." + std::to_wstring(random()) + L".tmp";
  {
    FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
      return false;
    DWORD written = 0;
    const bool ok =
        bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                    &written, nullptr) != 0 &&
                          written == bytes.size());
    if (!ok || FlushFileBuffers(file.get()) == 0 || !file.Close()) {
      DeleteFileW(temp.c_str());
      return false;
    }
  }
  if (MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ==
      0) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

PrivateTempFolder::PrivateTempFolder(const std::string& prefix) {
  wchar_t base[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, base);
  if (n == 0 || n > MAX_PATH)
    throw std::runtime_error("cannot find the temporary folder");
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = fs::path(base) / (std::wstring(prefix.begin(), prefix.end()) + L"." +
                                                 std::to_wstring(random()));
    // A new folder under the user's own temporary folder inherits its
    // owner-only access.
    if (CreateDirectoryW(candidate.c_str(), nullptr) != 0) {
      path_ = candidate;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  throw std::runtime_error("cannot create a temporary folder");
}

PrivateTempFolder::~PrivateTempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace tenrovel::platform
