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

// A JSONP answer with `hits` and `records` records named R<first>...
std::string Answer(int hits, int first, int records) {
  std::string items;
  for (int k = 0; k < records; ++k) {
    if (!items.empty())
      items += ",";
    items += R"({"id":")" + std::to_string(first + k) + R"(","name":"R)" +
             std::to_string(first + k) + R"(","update":"x"})";
  }
  return "cb({\"status\":\"OK\",\"count\":{\"hits\":\"" + std::to_string(hits) +
         "\",\"start\":\"1\"},\"items\":[" + items + "]})\r\nignored second line\r\n";
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
