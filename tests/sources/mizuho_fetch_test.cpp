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
    MizuhoContext context;
    for (const auto& page : c.pages)
      context.answers[kBase + MizuhoRequestPath("13", page.start)] = page.answer;
    context.Run(kSource, {12});
    std::vector<std::string> first_columns;
    for (const auto& row : context.rows)
      first_columns.push_back(row.substr(0, row.find(',')));
    EXPECT_EQ(first_columns, c.rows) << c.name;
    EXPECT_EQ(context.requests.size(), c.requests) << c.name;
    EXPECT_EQ(context.statuses.size(), c.statuses) << c.name;
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
