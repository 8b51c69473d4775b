// CP932 conversions and full-width mapping from generated tables, giving the
// results Windows gives (see platform/codepage.h). The POSIX backend uses them;
// the Windows build compiles them too, so that a test can compare them with
// Windows' own conversions.
#include "platform/table_codepage.h"

#include "platform/cp932_tables.h"

namespace tenrovel::platform::table {

std::u16string Cp932ToUtf16(std::string_view cp932) {
  std::u16string out;
  out.reserve(cp932.size());
  const std::size_t n = cp932.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(cp932[i]);
    const std::uint16_t single = cp932::kSingleByte[b];
    if (single != cp932::kLeadMarker) {
      out.push_back(single);
    } else if (i + 1 < n && cp932[i + 1] != '\0') {
      // Windows takes the next byte as the trail byte whatever it is, NUL
      // excepted: a lead byte before NUL stands alone.
      out.push_back(
          cp932::kDoubleByte[cp932::LeadIndex(b)][static_cast<unsigned char>(cp932[++i])]);
    } else {
      out.push_back(cp932::kDefaultUnicode);  // a lead byte that ends the text
    }
  }
  return out;
}

std::string Utf16ToCp932(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 2);
  for (const char16_t u : utf16) {
    const std::uint16_t code = cp932::kWideToCp932[u];
    if (code > 0xFF)
      out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
  }
  return out;
}

namespace {

// Full-width forms of U+FF61..U+FF9F (half-width katakana and marks).
constexpr char16_t kKanaFullWidth[0x3F] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,
};

constexpr char16_t kVoicedMark = 0xFF9E;
constexpr char16_t kSemiVoicedMark = 0xFF9F;

// The composed full-width form of a half-width kana and a following mark,
// or 0 when the pair does not compose.
char16_t Compose(char16_t kana, char16_t mark) {
  const bool ka_to = kana >= 0xFF76 && kana <= 0xFF84;  // ｶ..ﾄ
  const bool ha_ho = kana >= 0xFF8A && kana <= 0xFF8E;  // ﾊ..ﾎ
  if (mark == kVoicedMark) {
    if (kana == 0xFF73)
      return 0x30F4;  // ｳﾞ -> ヴ
    if (kana == 0xFF9C)
      return 0x30F7;  // ﾜﾞ -> ヷ (not in CP932: gives "?")
    if (kana == 0xFF66)
      return 0x30FA;  // ｦﾞ -> ヺ (likewise)
    if (ka_to || ha_ho)
      return kKanaFullWidth[kana - 0xFF61] + 1;
  } else if (mark == kSemiVoicedMark && ha_ho) {
    return kKanaFullWidth[kana - 0xFF61] + 2;
  }
  return 0;
}

}  // namespace

std::u16string MapFullWidthJapanese(std::u16string_view utf16) {
  std::u16string out;
  out.reserve(utf16.size());
  const std::size_t n = utf16.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t u = utf16[i];
    if (u == 0x20) {
      out.push_back(0x3000);
    } else if (u >= 0x21 && u <= 0x7E) {
      out.push_back(static_cast<char16_t>(u + 0xFEE0));
    } else if (u >= 0xFF61 && u <= 0xFF9F) {
      const char16_t composed = i + 1 < n ? Compose(u, utf16[i + 1]) : 0;
      if (composed != 0) {
        out.push_back(composed);
        ++i;
      } else {
        out.push_back(kKanaFullWidth[u - 0xFF61]);
      }
    } else {
      out.push_back(u);
    }
  }
  return out;
}

}  // namespace tenrovel::platform::table
