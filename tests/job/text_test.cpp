#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/text_utils.h"

namespace tenrovel::job {
namespace {

using Lines = std::vector<std::string>;

// "\x88\x81\x40": a double-byte character whose trail byte looks like the
// lead byte of the ideographic space.
constexpr std::string_view kTrailLooksLikeLead = "\x88\x81\x40";

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

TEST(NormalizeNumerals, ReplacesEveryEntryOfItsTable) {
  struct Case {
    std::string_view in, out;
  };
  const Case cases[] = {
      // The 13 entries in table order: ideographic space, full-width
      // hyphen-minus, horizontal bar, full-width 1 to 9 and 0.
      {"\x81\x40\x81\x7C\x81\x5C\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56"
       "\x82\x57\x82\x58\x82\x4F",
       " --1234567890"},
      {kTrailLooksLikeLead, kTrailLooksLikeLead},
      {"\x93\x8C\x8B\x9E", "\x93\x8C\x8B\x9E"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NormalizeNumerals(c.in), c.out);
}

TEST(ToFullWidth, MapsToFullWidthForms) {
  using namespace std::string_literals;
  EXPECT_EQ(ToFullWidth("12"), "\x82\x50\x82\x51");
  EXPECT_EQ(ToFullWidth(""), "");
  EXPECT_EQ(ToFullWidth("\x93\x8C\x33"), "\x93\x8C\x82\x52");  // 東3
  EXPECT_EQ(ToFullWidth("1\0\x32"s), "\x82\x50") << "ends at a NUL";
}

}  // namespace
}  // namespace tenrovel::job
