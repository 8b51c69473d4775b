// The code page conversions and the full-width mapping: whatever the input,
// CP932 output never holds a lead byte without its trail byte, conversions
// are stable after one round trip, valid UTF-8 round-trips exactly, and the
// full-width mapping leaves no printable ASCII and is idempotent.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "platform/codepage.h"

namespace {

using namespace tenrovel::platform;
using tenrovel::fuzz::CheckWholeCharacters;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Bytes read as CP932.
  const std::u16string from_cp932 = Cp932ToUtf16(bytes);
  const std::string back = Utf16ToCp932(from_cp932);
  CheckWholeCharacters(back);
  FUZZ_CHECK(Utf16ToCp932(Cp932ToUtf16(back)) == back);
  FUZZ_CHECK(Cp932ToUtf8(bytes) == Utf16ToUtf8(from_cp932));

  // Bytes read as UTF-8: decoding never leaves a lone surrogate, so the
  // decoded text round-trips through UTF-8 exactly.
  const std::u16string from_utf8 = Utf8ToUtf16(bytes);
  const std::string utf8 = Utf16ToUtf8(from_utf8);
  FUZZ_CHECK(Utf8ToUtf16(utf8) == from_utf8);
  if (from_utf8.find(u'\uFFFD') == std::u16string::npos)
    FUZZ_CHECK(utf8 == bytes);
  const std::string cp932 = Utf8ToCp932(bytes);
  CheckWholeCharacters(cp932);
  FUZZ_CHECK(cp932 == Utf16ToCp932(from_utf8));

  // Bytes read as UTF-16 units (lone surrogates included).
  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  CheckWholeCharacters(Utf16ToCp932(units));

  // The full-width mapping.
  const std::u16string wide = MapFullWidthJapanese(units);
  for (const char16_t c : wide)
    FUZZ_CHECK(c < 0x21 || c > 0x7E);
  FUZZ_CHECK(MapFullWidthJapanese(wide) == wide);
  const std::string full = Cp932ToFullWidth(bytes);
  CheckWholeCharacters(full);
  return 0;
}
