// Replace, Split, Substitute, the escape helpers and the one-shot functions,
// as tables of cases. The matching itself is the conformance corpus's.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <typeinfo>

#include "regex/regex_utf.h"
#include "regex/regexp.h"

namespace tenrovel::regex {
namespace {

using namespace std::string_view_literals;

std::string Show(std::u16string_view text) {
  return Utf16ToUtf8(text);
}

std::string Show(const TWideStringList& list) {
  std::string out = "[";
  for (const auto& item : list) {
    out += "\"" + Show(item) + "\" ";
  }
  return out + "]";
}

TREOptions OptionsOf(std::string_view letters) {
  TREOptions options;
  for (const char c : letters) {
    options.Include(c == 'i'   ? roIgnoreCase
                    : c == 'm' ? roMultiLine
                    : c == 'w' ? roIgnoreWidth
                    : c == 'n' ? roNamedGroupOnly
                               : roIgnoreKana);
  }
  return options;
}

struct ReplaceCase {
  std::u16string_view pattern;
  std::string_view options;
  std::u16string_view input;
  std::u16string_view replacement;
  int index;
  int count;
  std::u16string_view expected;
};

TEST(RegExpSurface, Replace) {
  const ReplaceCase cases[] = {
      // Empty matches are never replaced.
      {u"x*", "", u"abc", u"-", 1, 0, u"abc"},
      {u"a", "", u"banana", u"[$&]", 1, 0, u"b[a]n[a]n[a]"},
      {u"a", "", u"banana", u"-", 1, 2, u"b-n-na"},
      {u"a", "", u"banana", u"-", 3, 0, u"ban-n-"},
      {u"a", "", u"banana", u"-", 0, 0, u"banana"},
      {u"a", "", u"", u"-", 1, 0, u""},
      {u"(\\w+)@(\\w+)", "", u"x ab@cd y", u"$2@$1", 1, 0, u"x cd@ab y"},
      // One digit only: $10 is group 1 and "0"; a group beyond GroupCount is nothing.
      {u"(a)(b)", "", u"ab", u"$10|$3|$0", 1, 0, u"a0||ab"},
      {u"(?<n>b)", "", u"abc", u"<${n}>", 1, 0, u"a<b>c"},
      {u"(?<n>b)", "", u"abc", u"<${zz}>", 1, 0, u"a<>c"},
      {u"(?<n>b)", "", u"abc", u"<${n", 1, 0, u"a<bc"},
      {u"(b)", "", u"abc", u"${1}", 1, 0, u"ac"},
      {u"(?<x>a)|(?<x>b)", "", u"ab", u"${x}", 1, 0, u"ab"},
      {u"b", "", u"abc", u"$$|$`|$'|$_", 1, 0, u"a$|a|c|abcc"},
      {u"(a)|(b)", "", u"ab", u"$+", 1, 0, u"ab"},
      {u"(a)(x)?", "", u"a", u"<$+>", 1, 0, u"<a>"},
      {u"a", "", u"a", u"<$+>", 1, 0, u"<>"},
      // '$' before another character is that character; a '$' at the end stays.
      {u"b", "", u"abc", u"$x$", 1, 0, u"ax$c"},
      {u"b", "", u"abc", u"$\U00020000", 1, 0, u"a\U00020000c"},
      // The template is DecodeEscape'd first, so "\$" is a '$' like any other.
      {u"b", "", u"abc", u"\\t\\x41\\$1$$", 1, 0, u"a\tA$c"},
      {u"finf%2f(.*?)%2f", "i", u"xFinf%2Fabc%2Fdef%2F", u"[$1]", 1, 0, u"x[abc]def%2F"},
      // ｶﾞ is two units and one match.
      {u"ガ", "w", u"ｶﾞxガ", u"-", 1, 0, u"-x-"},
      // Neither half of a surrogate pair is ever matched alone.
      {u"[\\x{DC00}-\\x{DFFF}]", "", u"\U00020000\xDC00", u"-", 1, 0, u"\U00020000-"},
      {u"x*|[\\x{DC00}-\\x{DFFF}]", "", u"\U00020000", u"-", 1, 0, u"\U00020000"},
      {u"\\x{DC00}", "", u"\U00020000", u"-", 1, 0, u"\U00020000"},
      {u".", "", u"\U00020000a", u"<$&>", 1, 0, u"<\U00020000><a>"},
  };
  for (const auto& c : cases) {
    TRegExp re;
    re.SetOptions(OptionsOf(c.options));
    re.SetExpression(c.pattern);
    EXPECT_EQ(Show(re.Replace(c.input, c.replacement, c.index, c.count)), Show(c.expected))
        << Show(c.pattern) << " on " << Show(c.input) << " by " << Show(c.replacement);
  }
}

TEST(RegExpSurface, ReplaceEventAndFunction) {
  TRegExp re;
  re.SetExpression(u"[0-9]+");
  int events = 0;
  re.SetOnReplace([&](TRegExp& sender, std::u16string& text) {
    ++events;
    text = u"<" + text + sender.Groups()[0].Strings() + u">";
  });
  EXPECT_EQ(Show(re.Replace(u"a1b22", u"#")), "a<#1>b<#22>");
  EXPECT_EQ(events, 2);
  // A replace function is used instead of the template and of OnReplace.
  const auto length = [](TRegExp& sender) {
    return Utf8ToUtf16(std::to_string(sender.Groups()[0].Length()));
  };
  EXPECT_EQ(Show(re.Replace(u"a1b22c333", length, 1, 2)), "a1b2c333");
  EXPECT_EQ(events, 2);
  // The event is back for the template form afterwards.
  EXPECT_EQ(Show(re.Replace(u"7", u"")), "<7>");
  EXPECT_EQ(Show(RegReplace(u"\\d", u"a1b2", length)), "a1b1");
  EXPECT_EQ(Show(TRegExp::RegReplace(u"\\d", u"a1b2", u"($&)")), "a(1)b(2)");
}

TEST(RegExpSurface, Substitute) {
  TRegExp re;
  re.SetExpression(u"(b)");
  EXPECT_EQ(Show(re.Substitute(u"$1")), "");  // no match yet
  ASSERT_TRUE(re.Exec(u"abc"));
  EXPECT_EQ(Show(re.Substitute(u"")), "");
  EXPECT_EQ(Show(re.Substitute(u"[$1$&]")), "[bb]");
  EXPECT_FALSE(re.Exec(u"xyz"));
  EXPECT_EQ(Show(re.Substitute(u"[$1]")), "");
}

struct SplitCase {
  std::u16string_view pattern;
  std::u16string_view input;
  int index;
  int count;
  TWideStringList expected;
};

TEST(RegExpSurface, Split) {
  const SplitCase cases[] = {
      // No match: no pieces at all.
      {u",", u"abc", 1, 0, {}},
      {u",", u"", 1, 0, {}},
      {u",", u"a,b,,c", 1, 0, {u"a", u"b", u"", u"c"}},
      {u",", u",a,", 1, 0, {u"", u"a", u""}},
      {u",", u"a,b,c", 1, 1, {u"a", u"b,c"}},
      {u",", u"a,b,c", 1, 2, {u"a", u"b,c"}},
      {u",", u"a,b,c,d", 1, 3, {u"a", u"b", u"c,d"}},
      {u",", u"a,b,c", 3, 0, {u"a,b", u"c"}},
      // Only empty matches: one piece, the whole subject.
      {u"x*", u"abc", 1, 0, {u"abc"}},
      {u"\\s*", u"a b", 1, 0, {u"a", u"b"}},
      {u"[\\x{DC00}-\\x{DFFF}]|-", u"\U00020000-\U00020000", 1, 0, {u"\U00020000", u"\U00020000"}},
  };
  for (const auto& c : cases) {
    TRegExp re;
    re.SetExpression(c.pattern);
    TWideStringList pieces{u"left over"};
    re.Split(c.input, pieces, c.index, c.count);
    EXPECT_EQ(Show(pieces), Show(c.expected)) << Show(c.pattern) << " on " << Show(c.input);
  }
  TWideStringList pieces{u"left over"};
  RegSplit(u"[,;]", u"a;b,c", pieces);
  EXPECT_EQ(Show(pieces), Show(TWideStringList{u"a", u"b", u"c"}));
  TRegExp::RegSplit(u"z", u"a;b,c", pieces);
  EXPECT_TRUE(pieces.empty());
}

TEST(RegExpSurface, OneShotFunctions) {
  TWideStringList matches{u"left over"};
  // A group that takes no part gives an empty string.
  EXPECT_TRUE(RegMatch(u"(a)|(b)", u"xb", matches));
  EXPECT_EQ(Show(matches), Show(TWideStringList{u"b", u"", u"b"}));
  EXPECT_FALSE(TRegExp::RegMatch(u"(q)", u"xb", matches));
  EXPECT_TRUE(matches.empty());
  EXPECT_TRUE(RegMatch(u"B", u"ab", matches, OptionsOf("i")));
  EXPECT_TRUE(RegIsMatch(u"ｶﾞ", u"ガ", OptionsOf("w")));
  EXPECT_FALSE(TRegExp::RegIsMatch(u"^b", u"ab"));
  // Patterns that need their numbered groups still work.
  EXPECT_TRUE(RegIsMatch(u"(a)\\1", u"xaa"));
  EXPECT_FALSE(RegIsMatch(u"(a)\\1", u"xab"));
  EXPECT_TRUE(RegIsMatch(u"^(a)?(?(1)b|c)$", u"ab"));
  EXPECT_THROW(RegIsMatch(u"(a)\\1", u"aa", OptionsOf("n")), ERegExpCompile);
  EXPECT_THROW(RegIsMatch(u"(", u"a"), ERegExpCompile);
}

// The three text helpers, one case a row.
struct TextCase {
  std::u16string (*helper)(std::u16string_view);
  std::u16string_view input;
  std::u16string_view expected;
};

TEST(RegExpSurface, EscapeHelpers) {
  const auto decode = &DecodeEscape;
  const auto encode = &EncodeEscape;
  const auto escape = &TRegExp::EscapeRegExChars;
  const TextCase cases[] = {
      {decode, u"plain", u"plain"},
      {decode, u"\\a\\e\\f\\n\\r\\t", u"\x07\x1B\x0C\x0A\x0D\x09"},
      {decode, u"\\012|\\377|\\0|\\1|\\3777|\\08|\\4",
       u"\x0A|\xFF|\x00|\x01|\xFF"
       u"7|\x00"
       u"8|4"sv},
      {decode, u"\\cA\\cz\\c@\\c_\\c\\\\", u"\x01\x1A\x00\x1F\x1C"sv},
      {decode, u"\\x41\\x4a\\x{3042}\\x{20000}\\x{10FFFF}\\x{D800}",
       u"AJ\u3042\U00020000\U0010FFFF\xD800"},
      {decode, u"\\\\\\$\\q\\\U00020000", u"\\$q\U00020000"},
      {decode, u"end\\", u"end\\"},
      {encode, u"\x07\x09\x0A\x0C\x0D\x1B", u"\\a\\t\\n\\f\\r\\e"},
      // Cc, Cn and Cs in hexadecimal; VT, U+0085 and other white space as they are.
      {encode, u"\x01\x7F\x0B\x85\u2028\u3000 ", u"\\x{1}\\x{7F}\x0B\x85\u2028\u3000 "},
      {encode, u"\u0378\uFFFF\U0010FFFF\xDC00\xD800",
       u"\\x{378}\\x{FFFF}\\x{10FFFF}\\x{DC00}\\x{D800}"},
      {encode, u"a\u3042\U00020000\uE000\\", u"a\u3042\U00020000\uE000\\"},
      {escape, u"$()*+.?[\\]^{|}", u"\\$\\(\\)\\*\\+\\.\\?\\[\\\\\\]\\^\\{\\|\\}"},
      {escape, u"a-b#c d/", u"a-b#c d/"},
      {escape, u"\0x"sv, u"\\0x"},
      // A digit after the NUL must not join its octal escape.
      {escape,
       u"\0"
       u"12"sv,
       u"\\00012"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Show(c.helper(c.input)), Show(c.expected)) << Show(c.input);
  }
  // The class functions are the free ones.
  EXPECT_EQ(Show(TRegExp::DecodeEscape(u"\\t")), "\t");
  EXPECT_EQ(Show(TRegExp::EncodeEscape(u"\t")), "\\t");
  // An escaped text matches itself, whole, and only itself.
  const std::u16string_view texts[] = {u"$()*+.?[\\]^{|}", u"a{,3}", u"\\Q\\E",
                                       u"\0"
                                       u"7\0"sv,
                                       u"(?#x)[]]"};
  for (const auto text : texts) {
    TWideStringList matches;
    const std::u16string pattern = u"^" + TRegExp::EscapeRegExChars(text) + u"$";
    EXPECT_TRUE(RegMatch(pattern, text, matches)) << Show(pattern);
    EXPECT_FALSE(RegIsMatch(pattern, std::u16string(text) + u"x")) << Show(pattern);
  }
}

struct DecodeErrorCase {
  std::u16string_view input;
  const std::type_info& kind;
  std::string_view message;
};

TEST(RegExpSurface, DecodeEscapeErrors) {
  const DecodeErrorCase cases[] = {
      {u"ab\\c1z", typeid(ERegExp), "ab\\c1 <-- エスケープ文字の書式が間違っています"},
      {u"\\c", typeid(ERegExp), "\\c <-- エスケープ文字の書式が間違っています"},
      {u"\\c\\x", typeid(ERegExp), "\\c\\x <-- エスケープ文字の書式が間違っています"},
      {u"\\x{4g}", typeid(ERegExp), "\\x{4g <-- 16進数が必要です"},
      {u"\\x{}", typeid(ERegExp), "\\x{} <-- 16進数が必要です"},
      {u"\\x{110000}", typeid(ERegExp), "\\x{110000} <-- コードポイントの範囲を超えています"},
      {u"a\\x{41", typeid(std::runtime_error), "a\\x{41 <--  } がありません"},
      {u"\\x{1234567}", typeid(std::runtime_error), "\\x{1234567 <--  } がありません"},
      {u"\\x4g", typeid(ERegExpCompile), "\\x4g <-- 16進数が必要です"},
      {u"\\x4", typeid(ERegExpCompile), "\\x4 <-- 16進数が必要です"},
  };
  for (const auto& c : cases) {
    try {
      TRegExp::DecodeEscape(c.input);
      ADD_FAILURE() << Show(c.input) << " decoded";
    } catch (const std::exception& e) {
      EXPECT_EQ(typeid(e), c.kind) << Show(c.input);
      EXPECT_EQ(e.what(), c.message) << Show(c.input);
    }
  }
}

}  // namespace
}  // namespace tenrovel::regex
