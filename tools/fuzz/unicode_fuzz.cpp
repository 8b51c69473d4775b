// The Unicode 6.1 lookups of the regular-expression engine: every code point
// (and any value beyond) has a category, major class, script and block that
// it also tests true for, case mappings stay code points of the opposite
// case, and a property name that is found names its property again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "regex/unicode_properties.h"

using namespace tenrovel::regex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i + 3 <= size && i < 3 * 64; i += 3) {
    const char32_t c = static_cast<char32_t>(data[i] | data[i + 1] << 8 | data[i + 2] << 16);
    const TUnicodeProperty category = GetUnicodeCategory(c);
    FUZZ_CHECK(category >= upCc && category <= upZs && category != upLC);
    FUZZ_CHECK(IsUnicodeProperty(c, category));
    const TUnicodeProperty major = GetUnicodeGeneralCategory(c);
    FUZZ_CHECK(major >= upC && major <= upZ && IsUnicodeProperty(c, major));
    const TUnicodeProperty script = GetUnicodeScript(c);
    FUZZ_CHECK(script >= upunKnown && script <= upCommon && IsUnicodeProperty(c, script));
    const TUnicodeProperty block = GetUnicodeBlock(c);
    FUZZ_CHECK(block >= upInBasicLatin && block <= upInSupplementaryPrivateUseAreaB);
    const char32_t upper = GetUnicodeUpperCase(c), lower = GetUnicodeLowerCase(c);
    FUZZ_CHECK(upper <= 0x10FFFF || upper == c);
    FUZZ_CHECK(lower <= 0x10FFFF || lower == c);
    if (upper != c)
      FUZZ_CHECK(category == upLl && GetUnicodeCategory(upper) != upLl);
    if (lower != c)
      FUZZ_CHECK(category == upLu && GetUnicodeCategory(lower) != upLu);
    FUZZ_CHECK(IsUnicodeProperty(c, upLC) ==
               (category == upLl || category == upLt || category == upLu));
  }
  const std::string_view name(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 64));
  if (const auto found = FindUnicodeProperty(name)) {
    const std::string_view canonical = GetUnicodePropertyName(*found);
    FUZZ_CHECK(FindUnicodeProperty(canonical) == found);
    const std::u16string wide(name.begin(), name.end());
    FUZZ_CHECK(FindUnicodeProperty(wide) == found);
  }
  return 0;
}
