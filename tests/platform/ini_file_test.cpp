#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "platform/files.h"
#include "platform/ini_text.h"

namespace tenrovel::platform {
namespace {

// These run through the real backend: our own code on POSIX, Windows'
// private-profile functions in the Windows build, so both are held to the
// same reading of the same files.
class IniFileTest : public ::testing::Test {
 protected:
  void Write(const std::string& bytes) { ASSERT_TRUE(ReplaceFileAtomically(file_, bytes)); }
  std::string Contents() { return ReadFileBytes(file_).value_or("<missing>"); }
  PrivateTempFolder folder_;
  std::filesystem::path file_ = folder_.path() / "rvl.ini";
};

TEST_F(IniFileTest, MissingFileOrKeyGivesDefault) {
  EXPECT_EQ(IniReadString(file_, "Config", "Area", "dflt"), "dflt");
  EXPECT_EQ(IniReadInt(file_, "Config", "SelShop", 4), 4);
  Write("[Config]\r\nOther=1\r\n");
  EXPECT_EQ(IniReadString(file_, "Config", "Area", ""), "");
  EXPECT_EQ(IniReadString(file_, "Nothing", "Other", "d"), "d");
}

TEST_F(IniFileTest, ReadsValuesAsWindowsDoes) {
  Write(
      "; comment\r\n[other]\r\nSelShop=9\r\n[CONFIG]\r\n  selshop =  7  \r\nArea=\"0101\"\r\n"
      "Num= 12x\r\nNeg=-3\r\nText=abc\r\nEmpty=\r\n");
  struct Case {
    const char* key;
    int as_int;
    const char* as_string;
  };
  const Case cases[] = {
      {"SelShop", 7, "7"}, {"Area", 101, "0101"}, {"Num", 12, "12x"},
      {"Neg", -3, "-3"},   {"Text", 0, "abc"},    {"Empty", 5, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IniReadInt(file_, "Config", c.key, 5), c.as_int) << c.key;
    EXPECT_EQ(IniReadString(file_, "Config", c.key, "?"), c.as_string) << c.key;
  }
}

TEST_F(IniFileTest, WritingCreatesFileAndKeepsEverythingElse) {
  ASSERT_TRUE(IniWriteString(file_, "Config", "SelShop", "1"));
  ASSERT_TRUE(IniWriteString(file_, "Config", "Area", "0110"));
  EXPECT_EQ(IniReadString(file_, "Config", "SelShop", ""), "1");
  EXPECT_EQ(IniReadString(file_, "Config", "Area", ""), "0110");

  Write("[Hosts]\r\nMizuhoUrl=http://127.0.0.1:1\r\n[Config]\r\nSelShop=0\r\nX=keep\r\n");
  ASSERT_TRUE(IniWriteString(file_, "Config", "SelShop", "2"));
  ASSERT_TRUE(IniWriteString(file_, "Config", "Area", "1"));
  EXPECT_EQ(IniReadString(file_, "Hosts", "MizuhoUrl", ""), "http://127.0.0.1:1");
  EXPECT_EQ(IniReadString(file_, "Config", "X", ""), "keep");
  EXPECT_EQ(IniReadInt(file_, "Config", "SelShop", 0), 2);
  EXPECT_EQ(IniReadString(file_, "Config", "Area", ""), "1");

  // Values that reading would trim or unquote are written so that they
  // come back as they were.
  for (const std::string value : {" lead", "trail\t", "\"q\"", "'s'", "\"\"", "\"half"}) {
    ASSERT_TRUE(IniWriteString(file_, "Config", "Text", value)) << value;
    EXPECT_EQ(IniReadString(file_, "Config", "Text", "?"), value) << value;
  }
}

// A value or name with a line break would add lines, and with them keys and
// sections, of its own choosing.
TEST_F(IniFileTest, RefusesLineBreaksInNamesAndValues) {
  const std::string before = "[Config]\r\nSelShop=0\r\n";
  struct Case {
    std::string section, key, value;
  };
  const Case cases[] = {
      {"Config", "Bank", "x\r\n[Hosts]\r\nMizuhoUrl=http://evil"},
      {"Config", "Bank", "x\nMufgUrl=y"},
      {"Config", "Bank", "x\ry"},
      {"Config", "Bank\r\nMizuhoUrl", "x"},
      {"Hosts]\r\n[Config", "Bank", "x"},
  };
  for (const auto& c : cases) {
    Write(before);
    EXPECT_FALSE(IniWriteString(file_, c.section, c.key, c.value)) << c.value;
    EXPECT_EQ(Contents(), before) << c.value;
  }
}

TEST(IniText, ParseLeadingIntSaturatesAtBothEnds) {
  const std::pair<const char*, int> cases[] = {
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"99999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-99999999999", INT_MIN},
      {"-2147483647", -2147483647},
      {"+12x", 12},
      {"-", 0},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(ini::ParseLeadingInt(text), expected) << text;
}

struct SetCase {
  const char* name;
  const char* before;
  const char* after;
};

TEST(IniText, SetValueEditsOnlyWhatItMust) {
  const SetCase cases[] = {
      {"empty file", "", "[Config]\r\nSelShop=1\r\n"},
      {"new section after text without line end", "[A]\r\nk=v",
       "[A]\r\nk=v\r\n[Config]\r\nSelShop=1\r\n"},
      {"replace keeps line end and neighbours", "[Config]\nSelShop=0\nArea=1\n",
       "[Config]\nSelShop=1\nArea=1\n"},
      {"new key after the section's last line", "[config]\r\nArea=1\r\n\r\n[B]\r\nx=1\r\n",
       "[config]\r\nArea=1\r\nSelShop=1\r\n\r\n[B]\r\nx=1\r\n"},
      {"key of another section untouched", "[B]\r\nSelShop=5\r\n[Config]\r\n",
       "[B]\r\nSelShop=5\r\n[Config]\r\nSelShop=1\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ini::SetValue(c.before, "Config", "SelShop", "1").value_or("<refused>"), c.after)
        << c.name;
  }
}

}  // namespace
}  // namespace tenrovel::platform
