// The Mizuho source over a real job, with canned answers.
#include <gtest/gtest.h>

#include "source_harness.h"
#include "sources/mizuho.h"
#include "sources/mizuho_answer.h"

namespace tenrovel::sources {
namespace {

using testing::DataRows;
using testing::SourceHarness;

constexpr const char* kBase = "http://mizuho.test";

std::string Url(const std::string& code, int start) {
  return kBase + MizuhoRequestPath(code, start);
}

// A JSONP answer with the hit count `hits` (a number as text) and
// `records` records named R<first>...; with `with_id` false the records have
// no "id" key.
std::string Answer(const std::string& hits, int first, int records, bool with_id = true) {
  std::string items;
  for (int k = 0; k < records; ++k) {
    if (!items.empty())
      items += ",";
    items += "{";
    if (with_id)
      items += R"("id":")" + std::to_string(first + k) + R"(",)";
    items += R"("name":"R)" + std::to_string(first + k) + R"(","update":"x"})";
  }
  return "cb({\"status\":\"OK\",\"count\":{\"hits\":\"" + hits + "\",\"start\":\"1\"},\"items\":[" +
         items + "]})\r\nignored second line\r\n";
}
std::string Answer(int hits, int first, int records) {
  return Answer(std::to_string(hits), first, records);
}

job::SiteConfig Sites() {
  job::SiteConfig sites;
  sites.mizuho_url = kBase;
  sites.mizuho_detail_url = "https://d.test";
  return sites;
}

const job::SourceEntry kSource = &FetchMizuhoPrefecture;

TEST(FetchMizuhoPrefecture, ReadsNoMoreRecordsThanTheHitCount) {
  SourceHarness harness;
  harness.answers[Url("13", 1)] = Answer(2, 1, 10);
  const auto result = harness.Run(job::Bank::kMizuho, kSource, {12}, Sites());
  const auto rows = DataRows(result.output);
  ASSERT_EQ(rows.size(), 2U);
  EXPECT_EQ(rows[0].substr(0, 5), "\"R1\",");
  EXPECT_EQ(result.requests.size(), 1U);
  EXPECT_EQ(result.statuses.back(), "みずほ銀行店舗 東京都 : 2/2件 取得中");
  EXPECT_FALSE(result.temp_left);
}

TEST(FetchMizuhoPrefecture, ReadsAnswerAfterAnswerUpToTheHitCount) {
  SourceHarness harness;
  harness.answers[Url("13", 1)] = Answer(23, 1, 10);
  harness.answers[Url("13", 11)] = Answer(23, 11, 10);
  harness.answers[Url("13", 21)] = Answer(23, 21, 3);
  const auto result = harness.Run(job::Bank::kMizuho, kSource, {12}, Sites());
  EXPECT_EQ(DataRows(result.output).size(), 23U);
  EXPECT_EQ(result.requests,
            (std::vector<std::string>{Url("13", 1), Url("13", 11), Url("13", 21)}));
  EXPECT_EQ(result.statuses.size(), 23U);
  EXPECT_EQ(result.statuses.back(), "みずほ銀行店舗 東京都 : 23/23件 取得中");
}

TEST(FetchMizuhoPrefecture, StopsWhenAnAnswerHasNoRecord) {
  SourceHarness harness;
  harness.answers[Url("13", 1)] = Answer(25, 1, 10);
  harness.answers[Url("13", 11)] = Answer(25, 11, 0);
  const auto result = harness.Run(job::Bank::kMizuho, kSource, {12}, Sites());
  EXPECT_EQ(DataRows(result.output).size(), 10U);
  EXPECT_EQ(result.requests.size(), 2U);
  EXPECT_EQ(result.statuses.back(), "みずほ銀行店舗 東京都 : 10/25件 取得中");
}

// Services that answer more than they should: the pages asked for end by
// themselves, and no record is written twice.
TEST(FetchMizuhoPrefecture, AnswersWithoutEndEndByThemselves) {
  struct Page {
    long long start;
    std::string answer;
  };
  struct Case {
    const char* name;
    std::vector<Page> pages;  // the answers there are; others fail
    std::size_t requests;
    std::vector<std::string> rows;  // first column of each row
    std::size_t statuses;
  };
  const auto names = [](int first, int count) {
    std::vector<std::string> names;
    for (int k = 0; k < count; ++k)
      names.push_back("\"R" + std::to_string(first + k) + "\"");
    return names;
  };
  const auto joined = [](std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const std::string same = Answer("1000000000", 1, 10);
  const Case cases[] = {
      {"the same ten records on every page, 10^9 hits",
       {{1, same}, {11, same}, {21, same}, {31, same}},
       2,
       names(1, 10),
       10},
      {"the same records without ids",
       {{1, Answer("50", 1, 3, false)}, {11, Answer("50", 1, 3, false)}},
       2,
       names(1, 3),
       3},
      {"a later page repeats some and brings some new",
       {{1, Answer(40, 1, 10)}, {11, Answer(40, 6, 10)}, {21, Answer(40, 6, 10)}},
       3,
       joined(names(1, 10), names(11, 5)),
       15},
      {"repeats inside one answer are written",
       {{1, Answer(3, 1, 1).replace(Answer(3, 1, 1).find("]}"), 0,
                                    R"(,{"id":"1","name":"R1","update":"x"})")}},
       1,
       {"\"R1\"", "\"R1\""},
       2},
      {"no more pages than the hit count allows",
       {{1, Answer(12, 1, 2)}, {11, Answer(12, 3, 2)}, {21, Answer(12, 5, 2)}},
       2,
       names(1, 4),
       4},
      {"a hit count beyond int",
       {{1, Answer("100000000000", 1, 10)}, {11, same}},
       2,
       names(1, 10),
       10},
      {"a negative hit count", {{1, Answer("-100000000000", 1, 10)}}, 1, {}, 1},
      {"a hit count but no record", {{1, Answer(5, 1, 0)}}, 1, {}, 1},
  };
  for (const auto& c : cases) {
    SourceHarness harness;
    for (const auto& page : c.pages)
      harness.answers[kBase + MizuhoRequestPath("13", page.start)] = page.answer;
    const auto result = harness.Run(job::Bank::kMizuho, kSource, {12}, Sites());
    std::vector<std::string> first_columns;
    for (const auto& row : DataRows(result.output))
      first_columns.push_back(row.substr(0, row.find(',')));
    EXPECT_EQ(first_columns, c.rows) << c.name;
    EXPECT_EQ(result.requests.size(), c.requests) << c.name;
    EXPECT_EQ(result.statuses.size(), c.statuses) << c.name;
  }
}

TEST(FetchMizuhoPrefecture, FailedDownloadNeverReadsTheLastAnswer) {
  SourceHarness harness;
  harness.answers[Url("01", 1)] = Answer(1, 1, 1);  // 北海道 answers, 青森県 fails
  const auto result = harness.Run(job::Bank::kMizuho, kSource, {0, 1}, Sites());
  EXPECT_EQ(DataRows(result.output).size(), 1U);
  EXPECT_EQ(result.statuses, (std::vector<std::string>{"みずほ銀行店舗 北海道 : 1/1件 取得中",
                                                       "みずほ銀行店舗 青森県 : 0/0件 取得中"}));
}

TEST(FetchMizuhoPrefecture, StopRequestEndsAfterTheCurrentRecord) {
  SourceHarness harness;
  harness.answers[Url("13", 1)] = Answer(12, 1, 10);
  harness.answers[Url("13", 11)] = Answer(12, 11, 2);
  harness.on_status = [](job::TMyThread& worker) {
    if (worker.Fields().PrefItemDone == 3)
      worker.RequestStop();
  };
  const auto result = harness.Run(job::Bank::kMizuho, kSource, {12, 13}, Sites());
  EXPECT_EQ(DataRows(result.output).size(), 3U);
  EXPECT_EQ(result.requests.size(), 1U) << "no further answer, no further prefecture";
}

}  // namespace
}  // namespace tenrovel::sources
