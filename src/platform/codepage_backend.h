// The conversion to code page 932 as the system does it (Windows itself, or
// our tables on POSIX), before the program's own adjustments in
// codepage.cpp. Only the platform layer uses it.
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::platform::backend {

std::string Utf16ToCp932(std::u16string_view utf16);

}  // namespace tenrovel::platform::backend
