// The boundary between the program's text (CP932 bytes) and the Windows API
// (UTF-16), so that nothing depends on the system's ANSI code page.
#pragma once

#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace tenrovel::app::win32 {

inline std::wstring Wide(std::string_view cp932) {
  const std::u16string utf16 = platform::Cp932ToUtf16(cp932);
  return std::wstring(utf16.begin(), utf16.end());
}

inline std::string Narrow(std::wstring_view wide) {
  return platform::Utf16ToCp932(std::u16string(wide.begin(), wide.end()));
}

}  // namespace tenrovel::app::win32
