#include "sources/comma_split.h"

#include <gtest/gtest.h>

namespace tenrovel::sources {
namespace {

using Items = std::vector<std::string>;

struct Case {
  const char* name;
  std::string_view text;
  Items plain;
  Items json;
};

TEST(CommaSplit, PlainAndJsonModes) {
  const Case cases[] = {
      {"simple", "a,b", {"a", "b"}, {"a", "b"}},
      {"spaces kept", " a , b", {" a ", " b"}, {" a ", " b"}},
      {"trailing comma adds one empty item", "a,", {"a", ""}, {"a", ""}},
      {"empty items between commas", ",a,,b", {"", "a", "", "b"}, {"", "a", "", "b"}},
      {"quoted with comma and doubled quote", "\"a,\"\"b\",c", {"a,\"b", "c"}, {"a,", "b", "c"}},
      {"empty quotes", "\"\",x", {"", "x"}, {"", "x"}},
      {"bytes after closing quote are their own item",
       "\"ab\"cd,e",
       {"ab", "cd", "e"},
       {"ab", "cd", "e"}},
      {"unclosed quote: rest less last byte", "\"abc", {"ab"}, {"ab"}},
      {"JSON key then value",
       "{\"k\":\"v\",\"name\":\"x, y\"}",
       {"{\"k\":\"v\"", "name", ":\"x", " y\"}"},
       {"{\"k\":\"v\"", "name", ":\"x, y\"}"}},
      {"JSON escaped quote and comma",
       "\"k\":\"a\\\",b\",z",
       {"k", ":\"a\\\"", "b\"", "z"},
       {"k", ":\"a\\\",b\"", "z"}},
      {"JSON quoted item with escaped quote", "\"a\\\"b\",c", {"a\\", "b\"", "c"}, {"a\\\"b", "c"}},
      // 0x83 0x5C is one character whose trail byte is a backslash: it does
      // not escape the quote after it.
      {"trail byte 0x5C is no escape", "\"\x83\x5C\",x", {"\x83\x5C", "x"}, {"\x83\x5C", "x"}},
      {"double-byte character stepped whole", "\x88\x40,a", {"\x88\x40", "a"}, {"\x88\x40", "a"}},
      // A comma or a quote is never a trail byte: after a lead byte it is
      // still a separator or a closing quote.
      {"lead byte before a comma", "\x88,a", {"\x88", "a"}, {"\x88", "a"}},
      {"lead byte before a closing quote", "\"\x96\",x", {"\x96", "x"}, {"\x96", "x"}},
      {"lead byte at the end of a JSON string",
       "{\"k\":\"\x96\",x",
       {"{\"k\":\"\x96\"", "x"},
       {"{\"k\":\"\x96\"", "x"}},
      {"empty text", "", {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CommaSplit(c.text), c.plain) << c.name;
    EXPECT_EQ(CommaSplit(c.text, true), c.json) << c.name << " (JSON)";
  }
}

}  // namespace
}  // namespace tenrovel::sources
