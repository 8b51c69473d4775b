// The environment as Windows keeps it: wide text, converted to UTF-8 so that
// no character is lost to the ANSI code page.
#include <windows.h>

#include "platform/codepage.h"
#include "platform/environment.h"

namespace tenrovel::platform {

std::optional<std::string> GetEnvironmentUtf8(const char* name) {
  const std::u16string wide_name = Utf8ToUtf16(name);
  const auto* wname = reinterpret_cast<const wchar_t*>(wide_name.c_str());
  const DWORD size = GetEnvironmentVariableW(wname, nullptr, 0);
  if (size == 0)
    return std::nullopt;
  std::u16string value(size, u'\0');
  const DWORD n = GetEnvironmentVariableW(wname, reinterpret_cast<wchar_t*>(value.data()), size);
  if (n >= size)
    return std::nullopt;
  value.resize(n);
  return Utf16ToUtf8(value);
}

}  // namespace tenrovel::platform
