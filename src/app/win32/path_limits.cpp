#include "app/win32/path_limits.h"

// windows.h first: the other Windows headers need its definitions.
#include <windows.h>

namespace tenrovel::app::win32 {

namespace {

// The longest name of one folder or file on NTFS and FAT.
constexpr std::size_t kMaxComponent = 255;

bool LongPathsEnabled() {
  // From Windows 10 1607 on; earlier systems know no long paths.
  using Function = BOOLEAN(WINAPI*)();
  static const auto enabled = [] {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto function = ntdll == nullptr
                              ? nullptr
                              : reinterpret_cast<Function>(reinterpret_cast<void (*)()>(
                                    GetProcAddress(ntdll, "RtlAreLongPathsEnabled")));
    return function != nullptr && function() != FALSE;
  }();
  return enabled;
}

}  // namespace

bool PathTooLong(const std::filesystem::path& path) {
  for (const std::filesystem::path& part : path) {
    if (part.native().size() > kMaxComponent)
      return true;
  }
  return path.native().size() >= MAX_PATH && !LongPathsEnabled();
}

}  // namespace tenrovel::app::win32
