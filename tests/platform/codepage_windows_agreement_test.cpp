// Windows build only: our table-driven conversions (the POSIX backend) must
// give exactly what Windows gives, for every input that can occur.
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"
#include "platform/table_codepage.h"
#include "text/cp932.h"
#include "text/width_forms.h"

namespace tenrovel::platform {
namespace {

std::string Hex(std::string_view bytes) {
  std::string out;
  char buf[4];
  for (const char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", static_cast<unsigned char>(c));
    out += buf;
  }
  return out;
}

TEST(WindowsAgreement, EverySingleByte) {
  for (int b = 0; b < 256; ++b) {
    const std::string s(1, static_cast<char>(b));
    EXPECT_EQ(table::Cp932ToUtf16(s), Cp932ToUtf16(s)) << Hex(s);
  }
}

TEST(WindowsAgreement, EveryLeadTrailPair) {
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0)
      continue;
    for (int trail = 0; trail < 256; ++trail) {
      const std::string s{static_cast<char>(lead), static_cast<char>(trail), 'A'};
      EXPECT_EQ(table::Cp932ToUtf16(s), Cp932ToUtf16(s)) << Hex(s);
    }
  }
}

// The JIS twins that the program maps itself, before the system conversion.
bool IsJisTwin(int u) {
  for (const int twin : {0x301C, 0x2016, 0x2212, 0x00A2, 0x00A3, 0x00AC, 0x2014}) {
    if (u == twin)
      return true;
  }
  return false;
}

TEST(WindowsAgreement, EveryBmpCodePoint) {
  for (int u = 0; u < 0x10000; ++u) {
    if (IsJisTwin(u))
      continue;  // the same in both builds by construction; codepage_test checks them
    const std::u16string s(1, static_cast<char16_t>(u));
    ASSERT_EQ(table::Utf16ToCp932(s), Utf16ToCp932(s)) << std::hex << u;
  }
  EXPECT_EQ(table::Utf16ToCp932(u"\U0001F600"), Utf16ToCp932(u"\U0001F600"));
}

// Wine's LCMapStringW differs from Windows in two known places, where our
// table follows Windows:
//   - Windows maps "\" to U+FF3C (CP932 81 5F); Wine leaves it.
//   - Windows turns a half-width voiced or semi-voiced mark that does not
//     compose with the character before it into U+309B or U+309C (81 4A,
//     81 4B); Wine gives a character that CP932 lacks, so "?" comes back.
// With single-byte input, those bytes of our result can come from nowhere else.
bool IsKnownWineDifference(std::string_view ours, std::string_view wine) {
  std::string as_wine;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const std::string_view pair = ours.substr(i, 2);
    if (pair == "\x81\x5F") {
      as_wine += '\\';
      ++i;
    } else if (pair == "\x81\x4A" || pair == "\x81\x4B") {
      as_wine += '?';
      ++i;
    } else {
      as_wine += ours[i];
    }
  }
  return as_wine == wine;
}

TEST(WindowsAgreement, FullWidthOfEverySingleByteCharacter) {
  int same = 0;
  int known = 0;
  for (int b = 0; b < 256; ++b) {
    if (text::IsLeadByte(static_cast<unsigned char>(b)))
      continue;
    for (const char* mark : {"", "\xDE", "\xDF"}) {
      const std::string in = std::string(1, static_cast<char>(b)) + mark;
      const std::string ours = Utf16ToCp932(text::ToFullWidthForms(Cp932ToUtf16(in)));
      const std::string wine = Cp932ToFullWidth(in);
      if (ours == wine) {
        ++same;
      } else if (IsKnownWineDifference(ours, wine)) {
        ++known;
      } else {
        ADD_FAILURE() << "input " << Hex(in) << ": ours " << Hex(ours) << ", Windows " << Hex(wine);
      }
    }
  }
  EXPECT_EQ(same + known, 196 * 3);
  EXPECT_GT(same, 200);  // every character alone but "\\", and the composed pairs
}

}  // namespace
}  // namespace tenrovel::platform
