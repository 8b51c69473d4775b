// Table-driven CP932 conversions: the POSIX backend of platform/codepage.h,
// also built on Windows to be checked against Windows. (The full-width
// mapping's tables are the text layer's: text/width_forms.h.)
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::platform::table {

std::u16string Cp932ToUtf16(std::string_view cp932);
std::string Utf16ToCp932(std::u16string_view utf16);

}  // namespace tenrovel::platform::table
