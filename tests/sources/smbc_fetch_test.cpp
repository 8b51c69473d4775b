// The SMBC source over a fake worker with canned answers: the list pages,
// the requests made, the rows written and the status refreshes.
#include <gtest/gtest.h>

#include "app/bank_table.h"
#include "fake_source_context.h"
#include "sources/smbc.h"
#include "sources/smbc_request.h"

namespace tenrovel::sources {
namespace {

using namespace std::chrono_literals;

constexpr const char* kBase = "http://smbc.test:8080";
constexpr const char* kPostalBase = "http://postal.test";
constexpr std::size_t kTokyo = 12;
const job::SourceEntry kSource = &FetchSmbcPrefecture;

std::string Sjis(std::string_view utf8) {
  return platform::Utf8ToCp932(utf8);
}

const std::string kTokyoKeyword = SmbcSearchKeyword(Sjis("東京都"));

std::string SearchUrl() {
  return kBase + SmbcSearchPath(kTokyoKeyword);
}
std::string ListUrl(int page) {
  return kBase + SmbcListPath(kTokyoKeyword, page, "smbc.test:8080");
}
std::string DetailUrl(const std::string& id) {
  return kBase + SmbcDetailPath(id);
}

std::string SearchPage(int hits) {
  return "<ul>\r\n<li class=\"active\"><a>店舗・ATM<span>" + std::to_string(hits) +
         "</span>件</a></li>\r\n</ul>\r\n";
}

// A list answer whose first line links the given ids; the second line's id
// is never read.
std::string ListPage(const std::vector<std::string>& ids) {
  std::string line;
  for (const std::string& id : ids)
    line += "<a href=\"http%3A%2F%2Fh%2Fsmt%2Fsmbcbank%2Finf%2F" + id + "%2F\">x</a>";
  return line + "\r\n<a href=\"%2Finf%2F999%2F\">\r\n";
}

// A detail page whose shop number is its id, with an address line.
std::string DetailPage(const std::string& id, const std::string& address = "") {
  std::string page = "<th>店番</th>\n<td>" + id + "</td>\n";
  if (!address.empty())
    page += "<th>住所</th>\n<td>" + address + "</td>\n";
  return page + "</tr>\n";
}

// A context whose sites are the test's.
struct SmbcContext : testing::FakeSourceContext {
  SmbcContext() : FakeSourceContext(app::Banks()[app::kSmbc].facts) {
    sites.smbc_url = kBase;
    sites.postal_url = kPostalBase;
  }
  void Run(const std::vector<std::size_t>& prefs) { FakeSourceContext::Run(kSource, prefs); }
};

using Lines = std::vector<std::string>;

// Column 3 (the shop number) of every row.
Lines ShopNumbers(const Lines& rows) {
  Lines numbers;
  for (const std::string& row : rows) {
    const std::size_t start = row.find(",\"", row.find(",\"") + 2) + 2;
    numbers.push_back(row.substr(start, row.find('"', start) - start));
  }
  return numbers;
}

struct ListCase {
  const char* name;
  int hits;
  std::vector<std::vector<std::string>> pages;  // the answers of pg=1, 2, ...
  std::vector<std::string> extracted;           // detail pages requested, in order
  int pages_requested;
  std::string last_status;
};

TEST(FetchSmbcPrefecture, ReadsListPagesUpToTheHitCount) {
  const ListCase cases[] = {
      {"every page until the hit count",
       7,
       {{"1", "2", "3", "4", "5"}, {"5", "6", "7"}, {"8"}},
       {"1", "2", "3", "4", "5", "6", "7"},
       2,
       "7/7"},
      {"a page 2 that repeats page 1 ends the list",
       8,
       {{"1", "2", "3"}, {"1", "2", "3"}},
       {"1", "2", "3"},
       2,
       "3/8"},
      {"more ids than hits", 3, {{"1", "2", "3", "4", "5"}}, {"1", "2", "3"}, 1, "3/3"},
      {"an id repeated inside one page is extracted again",
       4,
       {{"1", "1", "2"}, {"2", "3"}},
       {"1", "1", "2", "3"},
       2,
       "4/4"},
      {"ids of earlier pages are skipped, new ones on the same page read; a page without "
       "an answer ends the list",
       9,
       {{"1", "2"}, {"2", "3"}, {"1", "3", "4"}},
       {"1", "2", "3", "4"},
       4,
       "4/9"},
      {"a first page without ids", 5, {{}}, {}, 1, ""},
      {"no hits: no list request", 0, {}, {}, 0, "0/0"},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    SmbcContext context;
    context.answers[SearchUrl()] = SearchPage(c.hits);
    for (std::size_t p = 0; p < c.pages.size(); ++p) {
      context.answers[ListUrl(static_cast<int>(p) + 1)] = ListPage(c.pages[p]);
      for (const std::string& id : c.pages[p])
        context.answers[DetailUrl(id)] = DetailPage(id);
    }
    context.Run({kTokyo});

    std::vector<std::string> expected_requests = {SearchUrl()};
    std::size_t next = 0;
    for (int p = 1; p <= c.pages_requested; ++p) {
      expected_requests.push_back(ListUrl(p));
      const auto& page = static_cast<std::size_t>(p) <= c.pages.size()
                             ? c.pages[static_cast<std::size_t>(p) - 1]
                             : Lines{};
      // The extracted ids, in order, as far as this page brings them.
      for (const std::string& id : page) {
        if (next < c.extracted.size() && c.extracted[next] == id)
          expected_requests.push_back(DetailUrl(c.extracted[next++]));
      }
    }
    EXPECT_EQ(context.requests, expected_requests);
    EXPECT_EQ(context.paused, 300ms * expected_requests.size()) << "after every download";
    EXPECT_EQ(ShopNumbers(context.rows), c.extracted);
    EXPECT_EQ(context.statuses.size(),
              c.last_status.empty() ? 0 : std::max<std::size_t>(c.extracted.size(), 1));
    const std::string last = context.statuses.empty() ? "" : context.statuses.back();
    EXPECT_EQ(last, c.last_status.empty() ? "" : "東京都 " + c.last_status);
  }
}

TEST(FetchSmbcPrefecture, AFailedDownloadNeverReadsTheAnswerBeforeIt) {
  SmbcContext context;
  context.answers[SearchUrl()] = SearchPage(3);
  context.answers[ListUrl(1)] = ListPage({"1", "2", "3"});
  context.answers[DetailUrl("1")] = DetailPage("1");
  context.answers[DetailUrl("3")] = DetailPage("3");
  // The search of the next prefecture fails after Tokyo's last answer.
  context.Run({kTokyo, kTokyo + 1});
  const Lines& rows = context.rows;
  ASSERT_EQ(rows.size(), 3U);
  EXPECT_EQ(rows[1], "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"" +
                         DetailUrl("2") + "\"")
      << "a failed detail page writes its URL alone";
  EXPECT_EQ(ShopNumbers(context.rows), (Lines{"1", "", "3"}));
  ASSERT_FALSE(context.statuses.empty());
  EXPECT_EQ(context.statuses.back(), "神奈川県 0/0");
  EXPECT_TRUE(context.download_failed);
}

TEST(ExtractSmbcDetail, LooksUpOnlyAddressesWithoutAPostalCode) {
  const std::string town_url = kPostalBase + PostalLookupPath(Sjis("東京都港区六本木"));
  struct Case {
    const char* name;
    std::string address;
    std::string postal_base;
    bool stop_during_page;
    std::vector<std::string> lookups;
    std::string column5;
  };
  const Case cases[] = {
      {"with 〒: none",
       "〒106-0032<br>東京都港区六本木六丁目10番1号",
       kPostalBase,
       false,
       {},
       "〒106-0032"},
      {"without 〒: one",
       "東京都港区六本木六丁目10番1号",
       kPostalBase,
       false,
       {town_url},
       "〒106-0032"},
      {"no lookup host: none", "東京都港区六本木六丁目10番1号", "", false, {}, ""},
      {"stop request during the page: none",
       "東京都港区六本木六丁目10番1号",
       kPostalBase,
       true,
       {},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SmbcContext context;
    context.answers[SearchUrl()] = SearchPage(1);
    context.answers[ListUrl(1)] = ListPage({"104"});
    context.answers[DetailUrl("104")] = DetailPage("104", c.address);
    context.answers[town_url] =
        "<Result><ZipCode Old=\"106\">106-0032</ZipCode><ZipCode Old=\"1\">1</ZipCode></Result>";
    if (c.stop_during_page) {
      context.on_download = [](testing::FakeSourceContext& job, const std::string& url) {
        if (url == DetailUrl("104"))
          job.RequestStop();
      };
    }
    context.sites.postal_url = c.postal_base;
    context.Run({kTokyo});
    ASSERT_GE(context.requests.size(), 3U);
    const std::vector<std::string> lookups(context.requests.begin() + 3, context.requests.end());
    EXPECT_EQ(lookups, c.lookups);
    const Lines& rows = context.rows;
    ASSERT_EQ(rows.size(), 1U) << "the row is written in every case";
    EXPECT_EQ(rows[0].substr(0, rows[0].find(Sjis("東京都")) - 3),
              "\"\",\"\",\"104\",\"\",\"" + Sjis(c.column5));
  }
}

TEST(FetchSmbcPrefecture, StopRequestEndsAfterTheCurrentLocation) {
  SmbcContext context;
  context.answers[SearchUrl()] = SearchPage(3);
  context.answers[ListUrl(1)] = ListPage({"1", "2", "3"});
  for (const char* id : {"1", "2", "3"})
    context.answers[DetailUrl(id)] = DetailPage(id);
  context.on_download = [](testing::FakeSourceContext& job, const std::string& url) {
    if (url == DetailUrl("2"))
      job.RequestStop();
  };
  context.Run({kTokyo, kTokyo + 1});
  EXPECT_EQ(ShopNumbers(context.rows), (Lines{"1", "2"}));
  EXPECT_EQ(context.requests.back(), DetailUrl("2")) << "nothing requested after the stop";
  EXPECT_FALSE(context.download_failed);
}

}  // namespace
}  // namespace tenrovel::sources
