#include "sources/json_text.h"

#include <gtest/gtest.h>

namespace tenrovel::sources {
namespace {

TEST(JsonText, RemovesOnlyUnescapedQuotes) {
  EXPECT_EQ(RemoveUnescapedQuotes("\"a\\\"b\""), "a\\\"b");
  EXPECT_EQ(RemoveUnescapedQuotes("\"\x83\x5C\""), "\x83\x5C") << "trail byte is no escape";
  EXPECT_EQ(RemoveUnescapedQuotes("a\\\\\"b"), "a\\\\b");
}

TEST(JsonText, DecodesEscapes) {
  struct Case {
    const char* name;
    std::string_view in, out;
  };
  const Case cases[] = {
      {"quote backslash slash", "a\\\"b\\\\c\\/d", "a\"b\\c/d"},
      {"controls become spaces", "a\\nb\\rc\\td", "a b c d"},
      {"unicode escape to CP932", "\\u6771\\u4eac", "\x93\x8C\x8B\x9E"},
      {"best fit", "caf\\u00e9", "cafe"},
      {"JIS twin of the wave dash", "\\u301c", "\x81\x60"},
      {"no CP932 form", "\\u2600", "?"},
      {"escaped controls become spaces", "a\\u000ab\\u000D\\u0000c\\u001f\\u007F\\u0020d",
       "a b  c   d"},
      {"surrogate pair gives one ? per unit", "\\ud83d\\ude00!",
       "?"
       "?!"},
      {"malformed unicode escape kept", "\\u12g4", "\\u12g4"},
      {"unknown escape kept", "\\x", "\\x"},
      {"backslash at end kept", "a\\", "a\\"},
      {"trail byte 0x5C is no escape", "\x83\x5Cn", "\x83\x5Cn"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecodeJsonEscapes(c.in), c.out) << c.name;
}

}  // namespace
}  // namespace tenrovel::sources
