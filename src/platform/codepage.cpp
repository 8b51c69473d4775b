// Conversions composed from the backend's CP932 and the portable UTF-8 code.
#include "platform/codepage.h"

#include <algorithm>

namespace tenrovel::platform {

std::string Utf8ToCp932(std::string_view utf8) {
  // In pieces, so that a large answer is not held a third time as UTF-16.
  // A piece ends before a byte that is no continuation byte (10xxxxxx), where
  // neither a character nor an ill-formed sequence can straddle the cut; the
  // CP932 text is never longer than the UTF-8 text.
  constexpr std::size_t kPiece = 64 * 1024;
  std::string cp932;
  cp932.reserve(utf8.size());
  while (!utf8.empty()) {
    std::size_t cut = std::min(kPiece, utf8.size());
    while (cut < utf8.size() && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
      ++cut;
    cp932 += Utf16ToCp932(Utf8ToUtf16(utf8.substr(0, cut)));
    utf8.remove_prefix(cut);
  }
  return cp932;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  return Utf16ToUtf8(Cp932ToUtf16(cp932));
}

std::string Cp932ToFullWidth(std::string_view cp932) {
  return Utf16ToCp932(MapFullWidthJapanese(Cp932ToUtf16(cp932)));
}

}  // namespace tenrovel::platform
