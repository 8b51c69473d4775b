#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/cp932_text.h"
#include "job/text_utils.h"

namespace tenrovel::job {
namespace {

using Lines = std::vector<std::string>;

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

TEST(StripTags, RemovesClosedTagsOnly) {
  struct Case {
    std::string_view in, out;
  };
  const Case cases[] = {
      {"a<b>c</b>d", "acd"}, {"x < y", "x < y"}, {"a<br\r\n class=\"x\">b", "ab"},
      {"a<b", "a<b"},        {"<a>b<c", "b<c"},  {"a>b", "a>b"},
      {"<<x>>", ">"},        {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StripTags(c.in), c.out) << c.in;
}

TEST(SplitText, AppendsNonEmptyPieces) {
  struct Case {
    std::string_view source, delimiter;
    Lines pieces;
  };
  const Case cases[] = {
      {"a,,b,", ",", {"a", "b"}},
      {",a", ",", {"a"}},
      {"abc", ",", {"abc"}},
      {"", ",", {}},
      {"a,b", "", {"a,b"}},
      {"x</span>y</span>", "</span>", {"x", "y"}},
      {"\x83\x5C\\a", "\\", {"\x83\x5C", "a"}},
  };
  for (const auto& c : cases) {
    Lines pieces{"kept"};
    SplitText(c.source, c.delimiter, pieces);
    Lines expected{"kept"};
    expected.insert(expected.end(), c.pieces.begin(), c.pieces.end());
    EXPECT_EQ(pieces, expected) << c.source;
  }
}

TEST(NormalizeNumerals, ReplacesDigitsSpacesAndDashes) {
  struct Case {
    std::string_view in, out;
  };
  const Case cases[] = {
      {"\x82\x50\x82\x51\x81\x7C\x82\x52\x82\x53", "12-34"},  // １２－３４
      {"\x82\x4F\x82\x58\x82\x4F\x81\x5C\x82\x50", "090-1"},  // ０９０―１
      {"\x81\x40", " "},
      {kTrailLooksLikeLead, kTrailLooksLikeLead},
      {"\x93\x8C\x8B\x9E", "\x93\x8C\x8B\x9E"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NormalizeNumerals(c.in), c.out);
}

TEST(ToFullWidth, MapsToFullWidthForms) {
  EXPECT_EQ(ToFullWidth("12"), "\x82\x50\x82\x51");
  EXPECT_EQ(ToFullWidth(""), "");
  EXPECT_EQ(ToFullWidth("\x93\x8C"
                        "3"),
            "\x93\x8C\x82\x52");
  EXPECT_EQ(ToFullWidth(std::string("1\0"
                                    "2",
                                    3)),
            "\x82\x50")
      << "ends at a NUL";
}

}  // namespace
}  // namespace tenrovel::job
