// Conversions composed from the backend's CP932 and the portable UTF-8 code.
#include "platform/codepage.h"

namespace tenrovel::platform {

std::string Utf8ToCp932(std::string_view utf8) {
  return Utf16ToCp932(Utf8ToUtf16(utf8));
}

std::string Cp932ToUtf8(std::string_view cp932) {
  return Utf16ToUtf8(Cp932ToUtf16(cp932));
}

std::string Cp932ToFullWidth(std::string_view cp932) {
  return Utf16ToCp932(MapFullWidthJapanese(Cp932ToUtf16(cp932)));
}

}  // namespace tenrovel::platform
