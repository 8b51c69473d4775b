// TRegExp as an object: the calling order, options and the compiled flag,
// windows, groups and names, events. Matching itself is the corpus's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/regexp.h"

namespace tenrovel::regex {
namespace {

std::u16string Message(const ERegExp& e) {
  return e.Message();
}

TEST(RegExpObject, ExecNextNeedsExecAndStopsAfterAFailure) {
  TRegExp re;
  re.SetExpression(u"a");
  try {
    re.ExecNext();
    FAIL() << "ExecNext before Exec";
  } catch (const ERegExpRuntime& e) {
    EXPECT_EQ(Message(e), u"Execメソッドが実行されていません");
  }
  EXPECT_TRUE(re.Exec(u"a"));
  EXPECT_FALSE(re.ExecNext());
  EXPECT_FALSE(re.ExecNext());  // after a failure: false without searching
  EXPECT_TRUE(re.Exec(u"aa"));
  re.SetExpression(u"b");  // a new pattern: ExecNext needs Exec again
  EXPECT_THROW(re.ExecNext(), ERegExpRuntime);
  EXPECT_TRUE(re.Exec(u"ab"));
  re.SetIgnoreCase(true);
  EXPECT_THROW(re.ExecNext(), ERegExpRuntime);
}

TEST(RegExpObject, OptionsAndTheCompiledFlag) {
  TRegExp re;
  EXPECT_TRUE(re.Options().Empty());
  EXPECT_EQ(re.Version(), u"2.6.2");
  re.SetExpression(u"a");
  re.Compile();
  EXPECT_TRUE(re.Compiled());
  re.SetExpression(u"a");
  re.SetIgnoreCase(false);
  EXPECT_TRUE(re.Compiled()) << "setting a property to its value keeps the program";
  struct TSetter {
    void (TRegExp::*Set)(bool);
    bool (TRegExp::*Get)() const;
    TREOption Option;
  };
  const TSetter setters[] = {
      {&TRegExp::SetIgnoreCase, &TRegExp::IgnoreCase, roIgnoreCase},
      {&TRegExp::SetMultiLine, &TRegExp::MultiLine, roMultiLine},
      {&TRegExp::SetNamedGroupOnly, &TRegExp::NamedGroupOnly, roNamedGroupOnly},
      {&TRegExp::SetSingleLine, &TRegExp::SingleLine, roSingleLine},
      {&TRegExp::SetExtended, &TRegExp::Extended, roExtended},
      {&TRegExp::SetIgnoreWidth, &TRegExp::IgnoreWidth, roIgnoreWidth},
      {&TRegExp::SetIgnoreKana, &TRegExp::IgnoreKana, roIgnoreKana},
      {&TRegExp::SetAutoCallout, &TRegExp::AutoCallout, roAutoCallout},
      {&TRegExp::SetDefineCharClassLegacy, &TRegExp::DefineCharClassLegacy,
       roDefinedCharClassLegacy},
  };
  for (const TSetter& setter : setters) {
    re.Compile();
    (re.*setter.Set)(true);
    EXPECT_FALSE(re.Compiled()) << setter.Option;
    EXPECT_TRUE((re.*setter.Get)()) << setter.Option;
    EXPECT_TRUE(re.Options().Contains(setter.Option)) << setter.Option;
    (re.*setter.Set)(false);
    EXPECT_FALSE(re.Options().Contains(setter.Option)) << setter.Option;
  }
  re.SetIgnoreWidth(true);
  EXPECT_FALSE(re.IgnoreZenHan());
  re.SetIgnoreWidth(false);
  re.SetIgnoreKana(true);
  EXPECT_FALSE(re.IgnoreZenHan());
  re.SetIgnoreZenHan(true);
  EXPECT_TRUE(re.IgnoreWidth() && re.IgnoreKana() && re.IgnoreZenHan());
}

TEST(RegExpObject, ACompileErrorLeavesTheObjectUncompiled) {
  TRegExp re;
  re.SetExpression(u"(a");
  EXPECT_THROW(re.Exec(u"a"), ERegExpCompile);
  EXPECT_FALSE(re.Compiled());
  try {
    re.Compile();
  } catch (const ERegExp& e) {  // ERegExpCompile is an ERegExp
    EXPECT_EQ(Message(e), u" ( がマッチしません; (a <-- ");
  }
  re.SetExpression(u"(a)");
  EXPECT_TRUE(re.Exec(u"a"));
}

struct TWindowCase {
  const char16_t* Pattern;
  const char16_t* Subject;
  int Index;
  int Length;
  int ExpectedIndex;  // 0: no match
  int ExpectedLength;
};

TEST(RegExpObject, ExecPosWindows) {
  const TWindowCase cases[] = {
      {u"b", u"abcb", 1, 0, 2, 1},
      {u"b", u"abcb", 3, 0, 4, 1},
      {u"b", u"abcb", 3, 1, 0, 0},    // the window "c"
      {u"^c$", u"abcd", 3, 1, 3, 1},  // ^ and $ at the window's edges
      {u"^c", u"abcd", 3, 0, 0, 0},   // no window: ^ at the subject start only
      {u"\\Ac", u"abcd", 3, 1, 3, 1},
      {u"(?<=b)c", u"abcd", 3, 1, 0, 0},  // lookbehind stops at the window start
      {u"(?<=b)c", u"abcd", 3, 0, 3, 1},
      {u"cd\\z", u"abcdef", 3, 2, 3, 2},
      {u"cde", u"abcdef", 3, 100, 3, 3},  // a window past the end is clipped
      {u"a", u"abc", 0, 0, 0, 0},
      {u"a", u"abc", -1, 0, 0, 0},
      {u"", u"abc", 4, 0, 4, 0},
      {u"", u"abc", 5, 0, 0, 0},
  };
  for (const TWindowCase& c : cases) {
    TRegExp re;
    re.SetExpression(c.Pattern);
    re.SetInputString(c.Subject);
    const bool found = re.ExecPos(c.Index, c.Length);
    EXPECT_EQ(found, c.ExpectedIndex > 0) << std::string(c.Pattern, c.Pattern + 3);
    if (found) {
      EXPECT_EQ(re.Groups()[0].Index(), c.ExpectedIndex);
      EXPECT_EQ(re.Groups()[0].Length(), c.ExpectedLength);
    }
  }
  TRegExp re;
  re.SetExpression(u"a");
  EXPECT_FALSE(re.ExecPos(1, 0)) << "no subject yet";
}

TEST(RegExpObject, TheMemoDoesNotOutliveAWindow) {
  TRegExp re;
  re.SetExpression(u"(a|aa)+b");
  re.SetInputString(u"aaaab");
  EXPECT_FALSE(re.ExecPos(1, 4));
  EXPECT_TRUE(re.ExecPos(1, 0));
  EXPECT_EQ(re.Groups()[0].Length(), 5);
  EXPECT_FALSE(re.ExecPos(2, 3));
  EXPECT_TRUE(re.ExecPos(2, 4));
}

TEST(RegExpObject, AStepBudgetOfItsOwn) {
  // The memo may not serve a back reference: this backtracking is
  // exponential, and the budget ends it with an error, not a "no match".
  TRegExp bounded;
  bounded.SetExpression(u"(a+)+\\1b");
  bounded.SetStepLimit(5000);
  EXPECT_EQ(bounded.StepLimit(), 5000);
  try {
    bounded.Exec(std::u16string(40, u'a'));
    ADD_FAILURE() << "no error";
  } catch (const ERegExpRuntime& e) {
    EXPECT_EQ(Message(e), u"バックトラックの回数が上限を超えました");
  }
  ASSERT_TRUE(bounded.Exec(u"aaab"));
  EXPECT_EQ(bounded.Groups()[1].Index(), 2);
  // The default budget (64 steps per unit here) ends it too; another
  // object's budget is not this one's.
  TRegExp unbounded;
  unbounded.SetExpression(u"(a+)+\\1b");
  EXPECT_EQ(unbounded.StepLimit(), 0);
  EXPECT_THROW(unbounded.Exec(std::u16string(40, u'a')), ERegExpRuntime);
  bounded.SetStepLimit(100);
  EXPECT_THROW(bounded.Exec(u"aaaaaaaaac"), ERegExpRuntime);
  bounded.SetStepLimit(0);
  EXPECT_FALSE(bounded.Exec(u"aaaaaaaaac"));
  // A literal's compared units are steps: 1,000 of them at each of 1,000
  // places is quadratic work, however few states run.
  TRegExp literal;
  literal.SetExpression(std::u16string(1000, u'a') + u"[bc]");
  literal.SetStepLimit(20000);
  EXPECT_THROW(literal.Exec(std::u16string(2000, u'a')), ERegExpRuntime);
  EXPECT_TRUE(literal.Exec(std::u16string(1000, u'a') + u"c"));
  // A reluctant repetition reads no further than it takes while the memo
  // rules out nothing ahead: a short match in a long line costs the match.
  TRegExp reluctant;
  reluctant.SetExpression(u"ab(.*?)a");
  reluctant.SetStepLimit(1000);
  std::u16string line;
  for (int i = 0; i < 15000; ++i) {
    line += u"abc";
  }
  ASSERT_TRUE(reluctant.Exec(line));
  EXPECT_EQ(reluctant.Groups()[0].Length(), 4);
}

TEST(RegExpObject, GroupsAndNames) {
  TRegExp re;
  re.SetExpression(u"(?<x>a)|(?<y>b)(?<x>c)( (d) )\t");
  EXPECT_EQ(re.GroupCount(), 5);
  ASSERT_TRUE(re.Exec(u"bc d \t"));
  TGroupCollection& groups = re.Groups();
  EXPECT_EQ(groups.Count(), 6);
  EXPECT_EQ(groups[0].Strings(), u"bc d \t");
  EXPECT_FALSE(groups[1].Success());
  EXPECT_EQ(groups[1].Index(), 0);
  EXPECT_EQ(groups[1].Length(), 0);
  EXPECT_EQ(groups[1].Strings(), u"");
  EXPECT_EQ(groups.Names(u"x").Strings(), u"c") << "the chain's first with a capture";
  EXPECT_EQ(groups.IndexOfName(u"x"), 1);
  EXPECT_EQ(groups.IndexOfMatchedName(u"x"), 3);
  EXPECT_EQ(groups.IndexOfMatchedName(u"z"), -1);
  EXPECT_EQ(groups.EnumIndexOfName(u"x"), (std::vector<int>{1, 3}));
  EXPECT_TRUE(groups.IsDuplicateGroupName(u"x"));
  EXPECT_FALSE(groups.IsDuplicateGroupName(u"y"));
  EXPECT_EQ(re.IndexFromGroupName(u"x"), 3);
  EXPECT_EQ(re.IndexFromGroupName(u"nothing"), -1);
  EXPECT_EQ(re.GroupNameFromIndex(2), u"y");
  EXPECT_EQ(re.GroupNameFromIndex(4), u"");
  EXPECT_EQ(groups[0].SubExpression(), u"");
  EXPECT_EQ(groups[1].SubExpression(), u"?<x>a");
  EXPECT_EQ(groups[4].SubExpression(), u" (d)") << "trailing white space removed";
  EXPECT_EQ(groups[5].Index(), 4);
  try {
    groups[6];
    FAIL();
  } catch (const ERegExpRuntime& e) {
    EXPECT_EQ(Message(e), u"グループ番号<6>は範囲を越えています");
  }
  try {
    groups.Names(u"zz");
    FAIL();
  } catch (const ERegExpRuntime& e) {
    EXPECT_EQ(Message(e), u"グループ名<zz>は存在しません");
  }
  int seen = 0;
  for (TGroupCollectionEnumerator it = groups.GetEnumerator(); it.MoveNext();) {
    EXPECT_EQ(&it.Current(), &groups[seen]);
    ++seen;
  }
  EXPECT_EQ(seen, 6);
  ASSERT_TRUE(re.Exec(u"a"));
  EXPECT_EQ(groups.Names(u"x").Index(), 1);
  EXPECT_FALSE(re.Exec(u"zzz"));
  EXPECT_FALSE(groups[0].Success()) << "a failed match leaves no captures";
}

TEST(RegExpObject, NameBuckets) {
  // h := rotl(h, 2) xor unit from 0, then h mod 17.
  EXPECT_EQ(TGroupCollection::NameBucket(u"a"), 97 % 17);
  EXPECT_EQ(TGroupCollection::NameBucket(u"ab"), ((97 << 2) ^ 98) % 17);
  // Long enough for the rotation to carry bits round (values computed
  // independently).
  EXPECT_EQ(TGroupCollection::NameBucket(u"名前_Ωxxxxxxxxxxxxxxx\xFFFF"), 3);
  EXPECT_EQ(TGroupCollection::NameBucket(u"group_name_with_many_chars"), 4);
}

TEST(RegExpObject, CalloutData) {
  TRegExp re;
  re.SetExpression(u"x(?C7)ab+(?C9)c");
  std::vector<TCalloutData> calls;
  re.SetOnCallout([&calls](TRegExp&, PCalloutData data, bool& is_match, int& length) {
    calls.push_back(*data);
    is_match = true;
    length = data->CalloutNumber == 9 ? 1 : 0;  // callout 9 takes one unit
  });
  ASSERT_TRUE(re.Exec(u"--xabbZc"));
  EXPECT_EQ(re.Groups()[0].Index(), 3);
  EXPECT_EQ(re.Groups()[0].Length(), 6);
  ASSERT_EQ(calls.size(), 2u);
  const TCalloutData& first = calls[0];
  EXPECT_EQ(first.Version, 1);
  EXPECT_EQ(first.CalloutNumber, 7);
  EXPECT_EQ(first.CurrentPosition, 4);
  EXPECT_EQ(first.StartMatch, 3);
  EXPECT_EQ(first.PatternPosition, 7);  // "a" after "(?C7)"
  EXPECT_EQ(first.NextPatternLength, 1);
  EXPECT_EQ(calls[1].CurrentPosition, 7);
}

TEST(RegExpObject, OnMatchFiresForEveryMatch) {
  TRegExp re;
  re.SetExpression(u"\\d");
  std::u16string seen;
  re.SetOnMatch([&seen](TRegExp& sender) { seen += sender.Groups()[0].Strings(); });
  for (bool found = re.Exec(u"a1b2c3"); found; found = re.ExecNext()) {
  }
  EXPECT_EQ(seen, u"123");
}

TEST(RegExpObject, CaptureStartAndEnd) {
  TRECapture capture;
  EXPECT_FALSE(capture.Success());
  capture.SetStartP(3);
  EXPECT_EQ(capture.StartP(), 3);
  capture.SetStartP(5);
  EXPECT_EQ(capture.StartP(), 3) << "a pending start waits for the end";
  capture.SetEndP(7);
  EXPECT_EQ(capture.StartP(), 5);
  EXPECT_EQ(capture.EndP(), 7);
  EXPECT_TRUE(capture.Success());
  TRECapture no_start;
  no_start.SetEndP(4);
  EXPECT_FALSE(no_start.Success());
}

}  // namespace
}  // namespace tenrovel::regex
