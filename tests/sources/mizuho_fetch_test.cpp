// The Mizuho source over a fake worker with canned answers.
#include <gtest/gtest.h>

#include "app/bank_table.h"
#include "fake_source_context.h"
#include "sources/mizuho.h"
#include "sources/mizuho_answer.h"

namespace tenrovel::sources {
namespace {

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

// A context whose sites are the test's.
struct MizuhoContext : testing::FakeSourceContext {
  MizuhoContext() : FakeSourceContext(app::Banks()[app::kMizuho].facts) {
    sites.mizuho_url = kBase;
    sites.mizuho_detail_url = "https://d.test";
  }
};

const job::SourceEntry kSource = &FetchMizuhoPrefecture;
using Lines = std::vector<std::string>;

TEST(FetchMizuhoPrefecture, ReadsAnswerAfterAnswerUpToTheHitCount) {
  struct Answered {
    int start, hits, records;
  };
  struct Case {
    std::vector<Answered> answers;
    std::size_t rows;
    const char* last_status;
  };
  const Case cases[] = {
      {{{1, 2, 10}}, 2, "東京都 2/2"},  // fewer hits than records
      {{{1, 23, 10}, {11, 23, 10}, {21, 23, 3}}, 23, "東京都 23/23"},
      {{{1, 25, 10}, {11, 25, 0}}, 10, "東京都 10/25"},  // an answer without a record ends it
  };
  for (const Case& c : cases) {
    MizuhoContext context;
    Lines urls;
    for (const Answered& a : c.answers) {
      urls.push_back(Url("13", a.start));
      context.answers[urls.back()] = Answer(a.hits, a.start, a.records);
    }
    context.Run(kSource, {12});
    ASSERT_EQ(context.rows.size(), c.rows) << c.last_status;
    EXPECT_EQ(context.rows[0].substr(0, 5), "\"R1\",");
    EXPECT_EQ(context.requests, urls);
    EXPECT_EQ(context.statuses.size(), c.rows) << "one refresh per record";
    EXPECT_EQ(context.statuses.back(), c.last_status);
    EXPECT_EQ(context.paused, std::chrono::milliseconds(300) * urls.size()) << "after each answer";
  }
}

TEST(FetchMizuhoPrefecture, AFailedDownloadNeverReadsAStaleAnswer) {
  // The temporary file still holds a valid answer from before, which a
  // failed download leaves in place.
  MizuhoContext context;
  ASSERT_TRUE(platform::ReplaceFileAtomically(context.TempFilePath(), Answer(1, 1, 1)));
  context.Run(kSource, {1});
  EXPECT_TRUE(context.rows.empty());
  EXPECT_EQ(context.statuses, Lines{"青森県 0/0"});
  EXPECT_TRUE(context.download_failed);
}

TEST(FetchMizuhoPrefecture, StopRequestEndsAfterTheCurrentRecord) {
  MizuhoContext context;
  context.answers[Url("13", 1)] = Answer(12, 1, 10);
  context.answers[Url("13", 11)] = Answer(12, 11, 2);
  context.on_status = [](testing::FakeSourceContext& job) {
    if (job.Fields().PrefItemDone == 3)
      job.RequestStop();
  };
  context.Run(kSource, {12, 13});
  EXPECT_EQ(context.rows.size(), 3U);
  EXPECT_EQ(context.requests.size(), 1U) << "no further answer, no further prefecture";
}

}  // namespace
}  // namespace tenrovel::sources
