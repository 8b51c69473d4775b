#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp932_tables.h"
#include "platform/table_codepage.h"
#include "text/cp932.h"
#include "text/width_forms.h"

namespace tenrovel::platform {
namespace {

struct DecodeCase {
  const char* name;
  std::string cp932;
  std::u16string utf16;
};

TEST(Cp932ToUtf16, DecodesAsWindowsDoes) {
  const DecodeCase cases[] = {
      {"ascii", "Az~", u"Az~"},
      {"backslash stays backslash", "\x5C", u"\u005C"},
      {"half-width katakana", "\xB1\xDF", u"\uFF71\uFF9F"},
      {"0x80 and 0xA0", "\x80\xA0", u"\u0080\uF8F0"},
      {"0xFD-0xFF", "\xFD\xFE\xFF", u"\uF8F1\uF8F2\uF8F3"},
      {"hiragana", "\x82\xA0", u"\u3042"},
      {"NEC row 13", "\x87\x40\x87\x90", u"\u2460\u2252"},
      {"IBM extension", "\xFA\x40", u"\u2170"},
      {"NEC-selected IBM extension", "\xEE\xEF", u"\u2170"},
      {"user-defined area", "\xF0\x40\xF9\xFC", u"\uE000\uE757"},
      {"bad trail byte gives one default char",
       "\x81\x20"
       "A",
       u"\u30FB"
       "A"},
      {"unassigned pair", "\x85\x40", u"\u30FB"},
      {"lead byte at the end", "A\x81", u"A\u30FB"},
      {"lead byte before NUL stands alone", std::string("\x81\0", 2),
       std::u16string(u"\u30FB\0", 2)},
      {"NUL kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"empty", "", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp932ToUtf16(c.cp932), c.utf16) << c.name;
  }
}

struct EncodeCase {
  const char* name;
  std::u16string utf16;
  std::string cp932;
};

TEST(Utf16ToCp932, EncodesAsWindowsDoes) {
  const EncodeCase cases[] = {
      {"best fit e-acute", u"\u00E9", "e"},
      {"best fit yen sign", u"\u00A5", "\x5C"},
      {"JIS twins: wave dash, 8:45-18:00", u"8:45\u301C18:00",
       "8:45\x81\x60"
       "18:00"},
      {"JIS twins: the other six", u"\u2016\u2212\u00A2\u00A3\u00AC\u2014",
       "\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C"},
      {"JIS twin beside a surrogate pair", u"\U0001F600\u301C", "??\x81\x60"},
      {"no form, no best fit", u"\u2600", "?"},
      {"full-width tilde", u"\uFF5E", "\x81\x60"},
      {"full-width hyphen-minus", u"\uFF0D", "\x81\x7C"},
      {"duplicate prefers JIS X 0208 code", u"\u2252", "\x81\xE0"},
      {"duplicate prefers IBM code", u"\u2170", "\xFA\x40"},
      {"NOT SIGN duplicate", u"\uFFE2", "\x81\xCA"},
      {"user-defined area", u"\uE000", "\xF0\x40"},
      {"outside the BMP: one ? per unit", u"\U0001F600", "??"},
      {"lone surrogate", u"\xD800", "?"},
      {"replacement char", u"\uFFFD", "?"},
      {"half-width katakana", u"\uFF71", "\xB1"},
      {"PUA back to single bytes", u"\uF8F0\uF8F3", "\xA0\xFF"},
      {"empty", u"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf16ToCp932(c.utf16), c.cp932) << c.name;
  }
}

TEST(Cp932, EveryMappedDoubleByteCharacterRoundTripsOrMapsToPreferredCode) {
  int round_trips = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0)
      continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string u = Cp932ToUtf16(bytes);
      ASSERT_EQ(u.size(), 1U);
      if (u[0] == 0x30FB && bytes != "\x81\x45")
        continue;  // not a character
      const std::string back = Utf16ToCp932(u);
      ASSERT_EQ(back.size(), 2U) << std::hex << lead << ' ' << trail;
      // Duplicates go to Windows' preferred code, which decodes the same.
      EXPECT_EQ(Cp932ToUtf16(back), u) << std::hex << lead << ' ' << trail;
      round_trips += back == bytes;
    }
  }
  // 7915 table entries less the single bytes, less the 398 duplicates.
  EXPECT_GT(round_trips, 7000);
}

TEST(Cp932, TheTextLayersLeadBytesAreThoseOfMicrosoftsTable) {
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(text::IsLeadByte(static_cast<unsigned char>(b)),
              cp932::kSingleByte[b] == cp932::kLeadMarker)
        << std::hex << b;
  }
}

struct Utf8Case {
  const char* name;
  std::string utf8;
  std::u16string utf16;
};

TEST(Utf8ToUtf16, DecodesWellFormedAndReplacesMalformed) {
  const Utf8Case cases[] = {
      {"ascii", "abc", u"abc"},
      {"japanese", "\xE6\x9D\xB1\xE4\xBA\xAC", u"\u6771\u4EAC"},
      {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"truncated two-byte at end", "a\xC3", u"a\uFFFD"},
      {"truncated three-byte is one replacement",
       "\xE3\x81"
       "b",
       u"\uFFFD"
       "b"},
      {"overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"stray continuation", "\x80x", u"\uFFFDx"},
      {"0xFF", "\xFF", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.name;
  }
}

TEST(Utf16ToUtf8, EncodesAndReplacesLoneSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"\u6771\U0001F600"), "\xE6\x9D\xB1\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00"
                        "a\xD800"),
            "\xEF\xBF\xBD"
            "a\xEF\xBF\xBD");
}

TEST(Utf8ToCp932, ConvertsWebTextThroughUtf16) {
  EXPECT_EQ(Utf8ToCp932("\xE6\x9D\xB1\xE4\xBA\xAC\xE9\x83\xBD"), "\x93\x8C\x8B\x9E\x93\x73");
  EXPECT_EQ(Utf8ToCp932("\xE3\x80\x9C"), "\x81\x60");  // U+301C wave dash: its CP932 twin
  EXPECT_EQ(Utf8ToCp932("caf\xC3\xA9"), "cafe");
  EXPECT_EQ(Cp932ToUtf8("\x93\x8C\x8B\x9E\x93\x73"), "\xE6\x9D\xB1\xE4\xBA\xAC\xE9\x83\xBD");
}

// A long text is converted in pieces: characters and ill-formed sequences
// that straddle a piece's end come out as from the whole text at once.
TEST(Utf8ToCp932, LongTextAsInOnePiece) {
  const std::string pieces[] = {"a",        "\xE6\x9D\xB1", "\xF0\x9F\x98\x80",
                                "\xC3\xA9", "\xE6\x9D",     "\x80\x80",
                                "\xF0\x9F", "\xFF",         "\r\n"};
  for (std::size_t shift = 0; shift < 7; ++shift) {
    std::string utf8(65536 - 3 + shift, 'x');
    for (int round = 0; round < 3000; ++round)
      utf8 += pieces[(round + shift) % std::size(pieces)];
    EXPECT_EQ(Utf8ToCp932(utf8), Utf16ToCp932(Utf8ToUtf16(utf8))) << shift;
  }
}

TEST(Utf8ToUtf16, ArbitraryBytesNeverFailOrOverrun) {
  // Every two-byte and three-byte prefix pattern, truncated at every length.
  std::string buf;
  for (int a = 0x80; a <= 0xFF; ++a) {
    for (int b = 0; b <= 0xFF; b += 7) {
      buf = {static_cast<char>(a), static_cast<char>(b), static_cast<char>(0x80 | (a & 0x3F))};
      for (std::size_t len = 0; len <= buf.size(); ++len) {
        const std::u16string out = Utf8ToUtf16(std::string_view(buf).substr(0, len));
        EXPECT_LE(out.size(), len);
      }
    }
  }
}

struct FullWidthCase {
  const char* name;
  std::string in;
  std::string out;
};

// Expectations are Windows' results (the Windows agreement test names the
// places where Wine differs).
TEST(Cp932ToFullWidth, MapsAsciiAndHalfWidthKana) {
  const FullWidthCase cases[] = {
      {"digits", "12", "\x82\x50\x82\x51"},
      {"space", " ", "\x81\x40"},
      {"letters and tilde", "Az~", "\x82\x60\x82\x9A\x81\x60"},
      {"backslash", "\\", "\x81\x5F"},
      {"kana", "\xB1", "\x83\x41"},
      {"voiced", "\xB6\xDE", "\x83\x4B"},
      {"semi-voiced", "\xCA\xDF", "\x83\x70"},
      {"u with voiced mark", "\xB3\xDE", "\x83\x94"},
      {"uncomposable voiced mark", "\xB1\xDE", "\x83\x41\x81\x4A"},
      {"lone semi-voiced mark", "\xDF", "\x81\x4B"},
      {"double-byte text unchanged", "\x93\x8C", "\x93\x8C"},
      {"NEC duplicate turns into the preferred code", "\x87\x90", "\x81\xE0"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table::Utf16ToCp932(text::ToFullWidthForms(table::Cp932ToUtf16(c.in))), c.out)
        << c.name;
#ifndef _WIN32
    EXPECT_EQ(Cp932ToFullWidth(c.in), c.out) << c.name;
#endif
  }
}

}  // namespace
}  // namespace tenrovel::platform
