#include "sources/mizuho_record.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "platform/codepage.h"
#include "sources/comma_split.h"
#include "sources/mizuho_answer.h"

namespace tenrovel::sources {
namespace {

constexpr std::string_view kDetail = "https://detail.example";

std::string Sjis(std::string_view utf8) {
  return platform::Utf8ToCp932(utf8);
}

// An answer as the service wraps its records. The last value of a record
// keeps the closing brackets after it, so every record here ends with a key
// whose value is of no interest.
std::string Answer(std::string_view records_utf8) {
  return "cb({\"status\":\"OK\",\"items\":[" + std::string(records_utf8) + "]})";
}

// Cuts an answer as the source does and reads the record at the given record
// start (0: the first).
MizuhoColumns Extract(std::string_view records_utf8, bool json_mode = true, int record = 0) {
  const std::string answer_utf8 = Answer(records_utf8);
  std::string answer = Sjis(answer_utf8);
  const std::vector<std::string_view> items = CommaSplitInPlace(answer, json_mode);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (IsMizuhoRecordStart(items[i]) && record-- == 0) {
      return ExtractMizuhoColumns(
          items, i, [] { return false; }, kDetail);
    }
  }
  ADD_FAILURE() << "no record start in " << answer_utf8;
  return {};
}

struct Case {
  const char* name;
  std::string_view record;                  // the items array of an answer
  std::map<int, std::string_view> columns;  // every other column must be empty
};

TEST(ExtractMizuhoColumns, FillsColumnsByKeyPrefix) {
  const Case cases[] = {
      {"glued first key, id builds the URL",
       R"({"id":"123","name":"東京営業部","z":0})",
       {{0, "東京営業部"}, {17, "https://detail.example/b/mizuho/info/123/"}}},
      {"the later of sho and pare wins",
       R"({"x":"","shop_no":"001","parent_no":"100","z":0})",
       {{2, "100"}}},
      {"park_na with an empty value", R"({"x":"","park_name":"","z":0})", {{8, "有り"}}},
      {"passbook within a longer text",
       R"({"x":"","book_time":"ATMの時間と同じです","z":0})",
       {{13, "有"}}},
      {"passbook other text",
       R"({"x":"","book_time":" 9:00～15:00 ","z":0})",
       {{13, "9:00～15:00"}}},
      {"every product label, in key order; \"0\" is not offered",
       R"({"x":"","lottery":"1","foreign":"1","bonus":"0","invest":"1","bond":"1","insurance":"1","salon":"1","z":0})",
       {{14,
         "宝くじブース設置店、外貨預金、投資信託、金融債・金融債総合口座、保険、プレミアムサロン設"
         "置店"}}},
      {"bare number keeps its colon",
       R"({"x":"","lat":35.68,"lon":139.76,"z":0})",
       {{15, ":35.68"}, {16, ":139.76"}}},
      {"nested object ends the record",
       R"({"name":"A","geo":{"lat":"1"},"kind":"B","z":0})",
       {{0, "A"}}},
      {"next record ends the record", R"({"name":"A","z":0},{"kind":"B","z":0})", {{0, "A"}}},
      {"telephone tags removed",
       R"({"x":"","tel":"<b>03-1234-5678</b>","z":0})",
       {{7, "03-1234-5678"}}},
      {"telephone with an unclosed img tag is skipped",
       R"({"x":"","tel":"03-1","tel2":"<img src=\"t.png\" alt=03","z":0})",
       {{7, "03-1"}}},
      {"telephone glued to its key is taken as it is",
       R"({"tel":"<img src=\"t.png\" alt=03","z":0})",
       {{7, "<img src=\"t.png\" alt=03"}}},
      {"comma inside a value stays in the value",
       R"({"x":"","full_address":"東京都港区1-2, ビル3F","access":"駅から5分","z":0})",
       {{5, "東京都港区1-2, ビル3F"}, {6, "駅から5分"}}},
      {"escapes decoded last",
       R"({"x":"","name":"A \"B\" \u6771\\C","access":"1\n2","z":0})",
       {{0, "A \"B\" 東\\C"}, {6, "1 2"}}},
      {"no recognised key", R"({"zzz":"1","z":0})", {}},
      {"an empty array is an ordinary value",
       R"({"name":"A","tags":[],"kind":"B","z":0})",
       {{0, "A"}, {3, "B"}}},
  };
  for (const auto& c : cases) {
    const MizuhoColumns columns = Extract(c.record);
    for (std::size_t k = 0; k < kMizuhoColumnCount; ++k) {
      const auto expected = c.columns.find(static_cast<int>(k));
      EXPECT_EQ(columns[k], expected == c.columns.end() ? "" : Sjis(expected->second))
          << c.name << ", column " << k;
    }
  }
}

TEST(ExtractMizuhoColumns, RecordAfterTheFirstStartsWithItsGluedKey) {
  const MizuhoColumns columns = Extract(R"({"x":1,"z":0},{"name":"A","id":"9","z":0})", true, 1);
  EXPECT_EQ(columns[0], "A");
  EXPECT_EQ(columns[17], "https://detail.example/b/mizuho/info/9/");
}

TEST(ExtractMizuhoColumns, PlainSplitCutsValuesAtCommas) {
  // Without the JSON mode a comma inside a value cuts it; the tail becomes an
  // item of its own that matches no key.
  const MizuhoColumns columns =
      Extract(R"({"x":"","full_address":"A, B","access":"C","z":0})", false);
  EXPECT_EQ(columns[5], "A");
  EXPECT_EQ(columns[6], "C");
}

TEST(ExtractMizuhoColumns, StopRequestEndsTheScanButKeepsWhatWasFound) {
  std::string answer = Answer(R"({"name":"A","kind":"B","zip":"1","z":0})");
  const std::vector<std::string_view> items = CommaSplitInPlace(answer, true);
  ASSERT_EQ(items[2], ":[{\"name\":\"A\"");
  const MizuhoColumns columns = ExtractMizuhoColumns(
      items, 2, [] { return true; }, kDetail);
  EXPECT_EQ(columns[0], "A");
  EXPECT_EQ(columns[3], "") << "the scan ended before the kind value";
}

TEST(ReadMizuhoHitCount, LastHitObjectDecides) {
  struct HitCase {
    std::string_view answer;
    int hits;
  };
  const HitCase cases[] = {
      {R"(cb({"status":"OK","count":{"hits":"3","start":1},"items":[]}))", 3},
      {R"(cb({"status":"OK","count":{"hits":3,"start":1}}))", 3},
      {R"(cb({"status":"OK","count":{"hits":3}}))", 3},
      {R"(cb({"status":"OK","count":{"hits":"30"},"items":[]}))", 30},
      {R"(cb({"status":"OK","count":{"hits":"30x"},"items":[]}))", 0},
      {R"(cb({"status":"OK","count":{"hits":"100000000000","start":1}}))", INT_MAX},
      {R"(cb({"status":"OK","count":{"hits":"-100000000000","start":1}}))", INT_MIN},
      {R"(cb({"a":1,"c1":{"hits":5,"x":1},"c2":{"hits":7,"x":1}}))", 7},
      {R"(cb({"a":1,"c":{"hits":"x","y":1}}))", 0},
      {R"(cb({"a":1}))", 0},
  };
  for (const auto& c : cases) {
    std::string answer(c.answer);
    EXPECT_EQ(ReadMizuhoHitCount(CommaSplitInPlace(answer, true), [] { return false; }), c.hits)
        << c.answer;
  }
}

}  // namespace
}  // namespace tenrovel::sources
