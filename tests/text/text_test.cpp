// The text layer: CP932 primitives, CSV rows, and the width forms read both ways.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/cp932.h"
#include "text/csv_row.h"
#include "text/width_forms.h"

namespace tenrovel::text {
namespace {

using Lines = std::vector<std::string_view>;

// "\x88\x81" is one double-byte character whose trail byte 0x81 looks like
// a lead byte; "\x83\x5C" (katakana SO) has a trail byte equal to "\".
constexpr std::string_view kTrailLooksLikeLead = "\x88\x81\x40";
constexpr std::string_view kTrailIsBackslash = "\x83\x5C";

TEST(FindText, NeverMatchesOnATrailByte) {
  struct Case {
    std::string_view text, needle;
    std::size_t from, expected;
  };
  const auto npos = std::string_view::npos;
  const Case cases[] = {
      {"abcabc", "c", 0, 2},
      {"abcabc", "c", 3, 5},
      {"abc", "", 0, npos},
      {kTrailIsBackslash, "\\", 0, npos},
      {"\x83\x5C\\", "\\", 0, 2},
      {kTrailLooksLikeLead, "\x81\x40", 0, npos},
      {"\x81\x40\x81\x40", "\x81\x40", 2, 2},
      {"ab", "abc", 0, npos},
      // A lead byte makes a character of two bytes only with a trail byte
      // (0x40-0x7E, 0x80-0xFC) after it; otherwise it stands alone.
      {"\x96\"", "\"", 0, 1},
      {"\x81,", ",", 0, 1},
      {"\xFC\x3F", "\x3F", 0, 1},
      {"\x81\x7F", "\x7F", 0, 1},
      {"\x81\xFD", "\xFD", 0, 1},
      {"\x81\x40", "\x40", 0, npos},
      {"\x81\x7E", "\x7E", 0, npos},
      {"\x9F\x80", "\x80", 0, npos},
      {"\xE0\xFC", "\xFC", 0, npos},
      {"\x81\x81\x40", "\x81\x40", 0, npos},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindText(c.text, c.needle, c.from), c.expected) << c.text << " / " << c.needle;
  }
  EXPECT_EQ(FindTextIgnoreCase("<TD>x</td>", "</TD>"), 5U);
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanning) {
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceAll("abab", "ab", ""), "");
  EXPECT_EQ(ReplaceAll("x", "", "y"), "x");
  EXPECT_EQ(ReplaceAll("\x83\x5C\\", "\\", "/"), "\x83\x5C/");
  EXPECT_EQ(ReplaceAllIgnoreCase("a<BR>b<br>c<Br>", "<br>", " "), "a b c ");
  EXPECT_EQ(RemoveAll(":{\"hits\":{\"x", ":{"), "\"hits\"\"x");
}

TEST(Trim, RemovesSpacesAndControlCharacters) {
  EXPECT_EQ(Trim(" \t\r\n x y \x01\x1F"), "x y");
  EXPECT_EQ(Trim("\x81\x40x\x81\x40"), "\x81\x40x\x81\x40") << "the ideographic space stays";
  EXPECT_EQ(Trim("   "), "");
}

TEST(SplitLines, SplitsAtCrLfAndCrLf) {
  struct Case {
    std::string_view text;
    Lines lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n", {"a"}},
      {"\n", {""}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
}

TEST(CsvRow, BothQuotingStylesKeepTheFieldCount) {
  const std::vector<std::string> fields{"a", "", "x\"y", "1,2", "c\rd", "e\nf", "\x83\x5C"};
  EXPECT_EQ(CsvRow(fields, CsvQuoting::kEveryField),
            "\"a\",\"\",\"x\"\"y\",\"1,2\",\"c\rd\",\"e\nf\",\"\x83\x5C\"");
  EXPECT_EQ(CsvRow(fields, CsvQuoting::kMinimal),
            "a,,\"x\"\"y\",\"1,2\",\"c\rd\",\"e\nf\",\x83\x5C");
  // A quote after a lead byte is a quote: doubled, so that the field closes.
  const std::vector<std::string> lead_then_quote{"\x81\"", "x"};
  EXPECT_EQ(CsvRow(lead_then_quote, CsvQuoting::kEveryField), "\"\x81\"\"\",\"x\"");
  EXPECT_EQ(CsvRow(lead_then_quote, CsvQuoting::kMinimal), "\"\x81\"\"\",x");
}

// The Windows build checks the table against Windows; here, it reads both ways.
TEST(WidthForms, EveryFullWidthFormHasExactlyItsHalfWidthSpelling) {
  int spellings = 0;
  for (char16_t full = 0x3000; full <= 0x30FF; ++full) {
    const HalfWidthKanaForm half = HalfWidthKana(full);
    if (half.base == 0)
      continue;
    ++spellings;
    std::u16string spelled(1, half.base);
    if (half.mark != 0)
      spelled += half.mark;
    EXPECT_EQ(ToFullWidthForms(spelled), std::u16string(1, full)) << std::hex << int{full};
  }
  // Each of the 63 half-width units alone, and 28 voiced pairs: ｶ..ﾄ and ﾊ..ﾎ
  // with ﾞ, ﾊ..ﾎ with ﾟ, and ｳﾞ, ﾜﾞ, ｦﾞ.
  EXPECT_EQ(spellings, 63 + 28);
  EXPECT_EQ(HalfWidthKana(u'ガ').mark, kHalfWidthVoicedMark);
  EXPECT_EQ(HalfWidthKana(u'パ').mark, kHalfWidthSemiVoicedMark);
  EXPECT_EQ(HalfWidthKana(u'ヰ').base, 0) << "no half-width form";
  for (char16_t ascii = 0x20; ascii <= 0x7E; ++ascii)
    EXPECT_EQ(HalfWidthAscii(FullWidthAscii(ascii)), ascii) << int{ascii};
  EXPECT_EQ(ToFullWidthForms(u"A ｱﾞｶﾞ\u3042"), u"Ａ\u3000ア゛ガ\u3042");
}

}  // namespace
}  // namespace tenrovel::text
