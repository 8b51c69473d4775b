#include "regex/unicode_properties.h"

#include <gtest/gtest.h>

#include <string>

namespace tenrovel::regex {
namespace {

struct CodePointCase {
  char32_t code_point;
  TUnicodeProperty category;
  TUnicodeProperty major_class;
  TUnicodeProperty script;
  TUnicodeProperty block;
  char32_t upper;
  char32_t lower;
};

TEST(UnicodeProperties, LooksUpCodePoints) {
  const CodePointCase cases[] = {
      {0x0000, upCc, upC, upCommon, upInBasicLatin, 0x0000, 0x0000},
      {0x0041, upLu, upL, upLatin, upInBasicLatin, 0x0041, 0x0061},
      {0x0061, upLl, upL, upLatin, upInBasicLatin, 0x0041, 0x0061},
      {0x007F, upCc, upC, upCommon, upInBasicLatin, 0x007F, 0x007F},
      {0x0080, upCc, upC, upCommon, upInLatin1Supplement, 0x0080, 0x0080},
      // Ll in script Common with an upper case in another block.
      {0x00B5, upLl, upL, upCommon, upInLatin1Supplement, 0x039C, 0x00B5},
      // Ll without a simple upper case (its full one is "SS").
      {0x00DF, upLl, upL, upLatin, upInLatin1Supplement, 0x00DF, 0x00DF},
      {0x0130, upLu, upL, upLatin, upInLatinExtendedA, 0x0130, 0x0069},
      {0x0131, upLl, upL, upLatin, upInLatinExtendedA, 0x0049, 0x0131},
      // Titlecase letters map to themselves both ways.
      {0x01C5, upLt, upL, upLatin, upInLatinExtendedB, 0x01C5, 0x01C5},
      {0x01C6, upLl, upL, upLatin, upInLatinExtendedB, 0x01C4, 0x01C6},
      {0x1F80, upLl, upL, upGreek, upInGreekExtended, 0x1F88, 0x1F80},
      // Case pairs outside Ll/Lu are not mapped.
      {0x0345, upMn, upM, upInherited, upInCombiningDiacriticalMarks, 0x0345, 0x0345},
      {0x2160, upNl, upN, upLatin, upInNumberForms, 0x2160, 0x2160},
      {0x24D0, upSo, upS, upCommon, upInEnclosedAlphanumerics, 0x24D0, 0x24D0},
      {0x1E9E, upLu, upL, upLatin, upInLatinExtendedAdditional, 0x1E9E, 0x00DF},
      {0x0378, upCn, upC, upunKnown, upInGreekandCoptic, 0x0378, 0x0378},
      {0x0627, upLo, upL, upArabic, upInArabic, 0x0627, 0x0627},
      // Arabic-Indic digits belong to no one script.
      {0x0660, upNd, upN, upCommon, upInArabic, 0x0660, 0x0660},
      {0x085F, upCn, upC, upunKnown, upInMandaic, 0x085F, 0x085F},
      // In no block: reported as Basic Latin.
      {0x0860, upCn, upC, upunKnown, upInBasicLatin, 0x0860, 0x0860},
      {0x2FE0, upCn, upC, upunKnown, upInBasicLatin, 0x2FE0, 0x2FE0},
      {0x2028, upZl, upZ, upCommon, upInGeneralPunctuation, 0x2028, 0x2028},
      {0x3000, upZs, upZ, upCommon, upInCJKSymbolsandPunctuation, 0x3000, 0x3000},
      {0x3042, upLo, upL, upHiragana, upInHiragana, 0x3042, 0x3042},
      {0x30A2, upLo, upL, upKatakana, upInKatakana, 0x30A2, 0x30A2},
      {0x30FC, upLm, upL, upCommon, upInKatakana, 0x30FC, 0x30FC},
      {0x4E00, upLo, upL, upHan, upInCJKUnifiedIdeographs, 0x4E00, 0x4E00},
      {0xD800, upCs, upC, upunKnown, upInHighSurrogates, 0xD800, 0xD800},
      {0xE000, upCo, upC, upunKnown, upInPrivateUseArea, 0xE000, 0xE000},
      {0xFF21, upLu, upL, upLatin, upInHalfwidthandFullwidthForms, 0xFF21, 0xFF41},
      {0xFF71, upLo, upL, upKatakana, upInHalfwidthandFullwidthForms, 0xFF71, 0xFF71},
      {0xFFFF, upCn, upC, upunKnown, upInSpecials, 0xFFFF, 0xFFFF},
      {0x10428, upLl, upL, upDeseret, upInDeseret, 0x10400, 0x10428},
      // Added in 6.1.
      {0x11100, upMn, upM, upChakma, upInChakma, 0x11100, 0x11100},
      {0x16F00, upLo, upL, upMiao, upInMiao, 0x16F00, 0x16F00},
      {0x1F600, upSo, upS, upCommon, upInEmoticons, 0x1F600, 0x1F600},
      {0xA792, upLu, upL, upLatin, upInLatinExtendedD, 0xA792, 0xA793},
      // Added after 6.1, so unassigned here.
      {0x20BA, upCn, upC, upunKnown, upInCurrencySymbols, 0x20BA, 0x20BA},
      {0xA794, upCn, upC, upunKnown, upInLatinExtendedD, 0xA794, 0xA794},
      {0x1F641, upCn, upC, upunKnown, upInEmoticons, 0x1F641, 0x1F641},
      {0xE0001, upCf, upC, upCommon, upInTags, 0xE0001, 0xE0001},
      {0xE01EF, upMn, upM, upInherited, upInVariationSelectorsSupplement, 0xE01EF, 0xE01EF},
      {0xE01F0, upCn, upC, upunKnown, upInBasicLatin, 0xE01F0, 0xE01F0},
      {0x100000, upCo, upC, upunKnown, upInSupplementaryPrivateUseAreaB, 0x100000, 0x100000},
      {0x10FFFF, upCn, upC, upunKnown, upInSupplementaryPrivateUseAreaB, 0x10FFFF, 0x10FFFF},
      // Beyond Unicode: unassigned, in no block.
      {0x110000, upCn, upC, upunKnown, upInBasicLatin, 0x110000, 0x110000},
      {0xFFFFFFFF, upCn, upC, upunKnown, upInBasicLatin, 0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<unsigned>(c.code_point));
    EXPECT_EQ(GetUnicodeCategory(c.code_point), c.category);
    EXPECT_EQ(GetUnicodeGeneralCategory(c.code_point), c.major_class);
    EXPECT_EQ(GetUnicodeScript(c.code_point), c.script);
    EXPECT_EQ(GetUnicodeBlock(c.code_point), c.block);
    EXPECT_EQ(GetUnicodeUpperCase(c.code_point), c.upper);
    EXPECT_EQ(GetUnicodeLowerCase(c.code_point), c.lower);
  }
}

struct PropertyCase {
  char32_t code_point;
  TUnicodeProperty property;
  bool expected;
};

TEST(UnicodeProperties, TestsPropertiesOfEachKind) {
  const PropertyCase cases[] = {
      {0x01C5, upLC, true},
      {0x01C5, upLt, true},
      {0x01C5, upL, true},
      {0x01C5, upLu, false},
      {0x0041, upLC, true},
      {0x0061, upLC, true},
      {0x02B0, upLC, false},  // Lm
      {0x02B0, upLm, true},
      {0x0030, upNd, true},
      {0x0030, upN, true},
      {0x0030, upL, false},
      {0x0378, upCn, true},
      {0x0378, upC, true},
      {0x0041, upLatin, true},
      {0x0041, upGreek, false},
      {0x3042, upHiragana, true},
      {0x3042, upKatakanaOrHiragana, false},
      {0x30FC, upKatakana, false},
      {0x30FC, upCommon, true},
      {0x0378, upunKnown, true},
      {0x0041, upInBasicLatin, true},
      {0x2FE0, upInBasicLatin, true},
      {0x3042, upInKatakana, false},
      {0xFFFF, upInSpecials, true},
      {0x10FFFF, upInSupplementaryPrivateUseAreaB, true},
      {0x110000, upCn, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsUnicodeProperty(c.code_point, c.property), c.expected)
        << "U+" << std::hex << static_cast<unsigned>(c.code_point) << " "
        << GetUnicodePropertyName(c.property);
  }
}

TEST(UnicodeProperties, SharesRecordsBetweenEqualCodePoints) {
  const CharType a = GetCharType(0x0041);
  EXPECT_EQ(a.record.char_type, (upLu - upCc) << 8 | (upLatin - upunKnown));
  EXPECT_EQ(a.record.delta, 0x41 - 0x61);
  EXPECT_EQ(GetCharType(0x005A).index, a.index);
  EXPECT_NE(GetCharType(0x0061).index, a.index);
  EXPECT_NE(GetCharType(0x0391).index, a.index);  // Lu, same delta, Greek
  EXPECT_EQ(GetCharType(0x110000).index, GetCharType(0x0378).index);
}

struct NameCase {
  std::string name;
  std::optional<TUnicodeProperty> expected;
};

TEST(UnicodePropertyNames, FindsNamesWithoutRegardToCase) {
  const NameCase cases[] = {
      {"l&", upLC},
      {"L&", upLC},
      {"lc", upLC},
      {"LC", upLC},
      {"Lu", upLu},
      {"lU", upLu},
      {"c", upC},
      {"UNKNOWN", upunKnown},
      {"hiragana", upHiragana},
      {"KatakanaOrHiragana", upKatakanaOrHiragana},
      {"Common", upCommon},
      {"inbasiclatin", upInBasicLatin},
      {"InGreekAndCoptic", upInGreekandCoptic},
      {"InMiscellaneousSymbolsandPictographs", upInMiscellaneousSymbolsAndPictographs},
      {"InSupplementaryPrivateUseAreaB", upInSupplementaryPrivateUseAreaB},
      {"", std::nullopt},
      {"&", std::nullopt},
      {"L&&", std::nullopt},
      {"upLu", std::nullopt},
      {"Latn", std::nullopt},  // four-letter codes are not names
      {"Basic Latin", std::nullopt},
      {"InBasicLatinX", std::nullopt},
      {"Is", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindUnicodeProperty(c.name), c.expected) << '"' << c.name << '"';
    const std::u16string wide(c.name.begin(), c.name.end());
    EXPECT_EQ(FindUnicodeProperty(wide), c.expected) << '"' << c.name << "\" as UTF-16";
  }
}

TEST(UnicodePropertyNames, RejectsNonAsciiLookalikes) {
  EXPECT_EQ(FindUnicodeProperty(u"\uFF2C\uFF55"), std::nullopt);  // full-width "Lu"
  EXPECT_EQ(FindUnicodeProperty(u"L\u0100"), std::nullopt);       // low byte would be "L\0"
  EXPECT_EQ(FindUnicodeProperty(u"\u014Cu"), std::nullopt);       // low byte 'L'
}

TEST(UnicodePropertyNames, EveryMemberIsFoundByItsName) {
  for (int p = 0; p < kUnicodePropertyCount; ++p) {
    const auto property = static_cast<TUnicodeProperty>(p);
    const std::string_view name = GetUnicodePropertyName(property);
    ASSERT_FALSE(name.empty()) << p;
    EXPECT_EQ(FindUnicodeProperty(name), property) << name;
  }
  EXPECT_EQ(GetUnicodePropertyName(upInBasicLatin), "InBasicLatin");
  EXPECT_EQ(GetUnicodePropertyName(upKatakanaOrHiragana), "KatakanaOrHiragana");
  EXPECT_EQ(GetUnicodePropertyName(static_cast<TUnicodeProperty>(kUnicodePropertyCount)), "");
}

}  // namespace
}  // namespace tenrovel::regex
