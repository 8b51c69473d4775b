// The code page conversions and the full-width mapping: whatever the input,
// CP932 output never holds a lead byte without its trail byte, conversions
// are stable after one round trip, valid UTF-8 round-trips exactly, and the
// full-width mapping leaves no printable ASCII and is idempotent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace {

using namespace tenrovel::platform;

bool IsLead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool IsTrail(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Every lead byte is followed by a trail byte.
void CheckWholeCharacters(std::string_view cp932) {
  for (std::size_t i = 0; i < cp932.size(); ++i) {
    if (!IsLead(static_cast<unsigned char>(cp932[i])))
      continue;
    if (i + 1 >= cp932.size() || !IsTrail(static_cast<unsigned char>(cp932[i + 1])))
      std::abort();
    ++i;
  }
}

void Check(bool condition) {
  if (!condition)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Bytes read as CP932.
  const std::u16string from_cp932 = Cp932ToUtf16(bytes);
  const std::string back = Utf16ToCp932(from_cp932);
  CheckWholeCharacters(back);
  Check(Utf16ToCp932(Cp932ToUtf16(back)) == back);
  Check(Cp932ToUtf8(bytes) == Utf16ToUtf8(from_cp932));

  // Bytes read as UTF-8: decoding never leaves a lone surrogate, so the
  // decoded text round-trips through UTF-8 exactly.
  const std::u16string from_utf8 = Utf8ToUtf16(bytes);
  const std::string utf8 = Utf16ToUtf8(from_utf8);
  Check(Utf8ToUtf16(utf8) == from_utf8);
  if (from_utf8.find(u'\uFFFD') == std::u16string::npos)
    Check(utf8 == bytes);
  const std::string cp932 = Utf8ToCp932(bytes);
  CheckWholeCharacters(cp932);
  Check(cp932 == Utf16ToCp932(from_utf8));

  // Bytes read as UTF-16 units (lone surrogates included).
  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  CheckWholeCharacters(Utf16ToCp932(units));

  // The full-width mapping.
  const std::u16string wide = MapFullWidthJapanese(units);
  for (const char16_t c : wide)
    Check(c < 0x21 || c > 0x7E);
  Check(MapFullWidthJapanese(wide) == wide);
  const std::string full = Cp932ToFullWidth(bytes);
  CheckWholeCharacters(full);
  return 0;
}
