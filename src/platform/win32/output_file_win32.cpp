// The output file on Windows: a file handle, every WriteFile checked, and
// the system's own message for a failure.
#include <windows.h>

#include "platform/codepage.h"
#include "platform/output_file.h"

namespace tenrovel::platform {

namespace fs = std::filesystem;

namespace {

const std::intptr_t kClosed = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);

std::string Reason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message;
  if (n > 0 && text != nullptr)
    message.assign(text, text + n);
  if (text != nullptr)
    LocalFree(text);
  while (!message.empty() &&
         (message.back() == u'\r' || message.back() == u'\n' || message.back() == u' '))
    message.pop_back();
  if (message.empty())
    return "error " + std::to_string(error);
  return Utf16ToUtf8(message);
}

HANDLE AsHandle(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}

}  // namespace

bool CanReplaceFile(const fs::path& path) {
  // Asking for delete access fails while another program holds the file
  // without allowing that, which is exactly when the final move would fail.
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(h);
  return true;
}

FileFailure MoveFileOver(const fs::path& from, const fs::path& to) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ==
      0)
    return Reason(GetLastError());
  return std::nullopt;
}

OutputFile::OutputFile() : handle_(kClosed) {}

OutputFile::~OutputFile() {
  if (IsOpen())
    CloseHandle(AsHandle(handle_));
}

bool OutputFile::IsOpen() const {
  return handle_ != kClosed;
}

FileFailure OutputFile::Create(const fs::path& path, const fs::path&) {
  if (IsOpen())
    Close();
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return Reason(GetLastError());
  handle_ = reinterpret_cast<std::intptr_t>(h);
  stream_ = false;
  return std::nullopt;
}

FileFailure OutputFile::OpenStandardOutput() {
  if (IsOpen())
    Close();
  HANDLE duplicate = INVALID_HANDLE_VALUE;
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE)
    return Reason(ERROR_INVALID_HANDLE);
  if (DuplicateHandle(GetCurrentProcess(), out, GetCurrentProcess(), &duplicate, 0, FALSE,
                      DUPLICATE_SAME_ACCESS) == 0)
    return Reason(GetLastError());
  handle_ = reinterpret_cast<std::intptr_t>(duplicate);
  stream_ = true;
  return std::nullopt;
}

FileFailure OutputFile::Write(std::string_view bytes) {
  if (!IsOpen())
    return Reason(ERROR_INVALID_HANDLE);
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (WriteFile(AsHandle(handle_), bytes.data(), chunk, &written, nullptr) == 0) {
      const DWORD error = GetLastError();
      // Windows says ERROR_NO_DATA for a pipe whose reader closed it, Wine
      // ERROR_PIPE_NOT_CONNECTED.
      reader_gone_ =
          error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED;
      return Reason(error);
    }
    if (written == 0)
      return Reason(ERROR_WRITE_FAULT);
    bytes.remove_prefix(written);
  }
  return std::nullopt;
}

FileFailure OutputFile::Close() {
  if (!IsOpen())
    return std::nullopt;
  const HANDLE h = AsHandle(handle_);
  handle_ = kClosed;
  // Flushing a pipe would wait for its reader.
  const DWORD flush_error = stream_ || FlushFileBuffers(h) != 0 ? 0 : GetLastError();
  const DWORD close_error = CloseHandle(h) != 0 ? 0 : GetLastError();
  if (flush_error != 0)
    return Reason(flush_error);
  if (close_error != 0)
    return Reason(close_error);
  return std::nullopt;
}

}  // namespace tenrovel::platform
