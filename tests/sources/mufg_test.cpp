// The MUFG source: its line filter and rows, and whole jobs over a canned
// data file.
#include "sources/mufg.h"

#include <gtest/gtest.h>

#include "app/bank_table.h"
#include "fake_source_context.h"
#include "sources/comma_split.h"

namespace tenrovel::sources {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kBase = "http://mufg.test";
const std::string kUrl = std::string(kBase) + "/report/data.txt";
const job::SourceEntry kSource = &FetchMufgPrefecture;

std::string Cp932(const std::string& utf8) {
  return platform::Utf8ToCp932(utf8);
}

// The 14 columns after the name, as a data line carries them.
const std::string kTail =
    "ほんてん,001,100-0005,東京都千代田区丸の内9-9-9,東京駅より徒歩3分,03-5555-0001,無,"
    "08:00-21:00,09:00-19:00,休業,外貨両替,35.6828,139.7638,https://b.example/001";

// A data line of 16 fields: the quoted code, the name, the 14 columns.
std::string DataLine(const std::string& code, const std::string& name) {
  return Cp932("\"" + code + "\"," + name + "," + kTail);
}

std::string ExpectedRow(const std::string& name) {
  return Cp932(name + "," + kTail);
}

// A context whose data file host is `base`.
struct MufgContext : testing::FakeSourceContext {
  explicit MufgContext(const std::string& base = kBase)
      : FakeSourceContext(app::Banks()[app::kMufg].facts) {
    sites.mufg_url = base;
  }
};

std::string File(const std::vector<std::string>& lines) {
  std::string file;
  for (const std::string& line : lines)
    file += line + "\r\n";
  return file;
}

TEST(IsMufgPrefectureLine, BytesTwoAndThreeHoldTheCode) {
  struct Case {
    std::string_view line;
    std::string_view code;
    bool kept;
  };
  const Case cases[] = {
      {"\"13\",a", "13", true},  {"13,a", "13", false},      // without a leading byte the code is a
                                                             // byte early
      {"x13,a", "13", true},                                 // any leading byte will do
      {"\"14\",a", "13", false}, {"\"131\",a", "13", true},  // bytes 2 and 3 only, not the whole
                                                             // field
      {"\"ab\",x", "AB", true},                              // letter case is ignored
      {"\"Ab\",x", "aB", true},  {"\"ac\",x", "AB", false}, {"\"1", "13", false},
      {"\"", "13", false},       {"", "13", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsMufgPrefectureLine(c.line, c.code), c.kept) << c.line << " / " << c.code;
}

TEST(KeepMufgLines, KeepsTheTrimmedLinesOfThePrefectureInFileOrder) {
  const std::vector<std::string_view> lines{"  \"13\",a  ", "\"14\",b", "",
                                            "\t\"13\",c\t", "13,d",     "\"13\",e"};
  EXPECT_EQ(KeepMufgLines(lines, "13", [] { return false; }),
            (std::vector<std::string_view>{"\"13\",a", "\"13\",c", "\"13\",e"}));
}

TEST(KeepMufgLines, StopRequestEndsTheFilterAfterTheCurrentLine) {
  const std::vector<std::string_view> lines{"\"13\",a", "\"13\",b", "\"13\",c"};
  int asked = 0;
  EXPECT_EQ(KeepMufgLines(lines, "13", [&asked] { return ++asked == 2; }),
            (std::vector<std::string_view>{"\"13\",a", "\"13\",b"}));
  EXPECT_EQ(asked, 2);
}

TEST(MufgColumns, FieldsTwoToSixteenTrimmedAndEveryRowHasFifteenColumns) {
  struct Case {
    const char* name;
    std::string line;  // UTF-8
    std::optional<std::string> row;
  };
  const Case cases[] = {
      {"bare fields", "\"13\",本店," + kTail, "本店," + kTail},
      {"spaces and tabs around fields", "\"13\",  本店 ,\t" + kTail + " ", "本店," + kTail},
      {"quoted fields lose their quotes", "\"13\",\"本店\"," + kTail, "本店," + kTail},
      {"a comma inside quotes stays in one column, written quoted",
       "\"13\",\"渋谷支店 1F,2F\"," + kTail, "\"渋谷支店 1F,2F\"," + kTail},
      {"a doubled quote inside quotes", "\"13\",\"ATM \"\"駅前\"\"\"," + kTail,
       "\"ATM \"\"駅前\"\"\"," + kTail},
      {"empty columns, the last one after a final comma", "\"13\",ATM" + std::string(14, ','),
       "ATM" + std::string(14, ',')},
      {"15 fields", "\"13\"," + kTail, std::nullopt},
      {"17 fields", "\"13\",本店," + kTail + ",臨時", std::nullopt},
      {"a space after a closing quote begins a field of its own", "\"13\" ,本店," + kTail,
       std::nullopt},
  };
  for (const Case& c : cases) {
    const auto columns = MufgColumns(Cp932(c.line));
    if (!c.row) {
      EXPECT_EQ(columns, std::nullopt) << c.name;
      continue;
    }
    ASSERT_TRUE(columns.has_value()) << c.name;
    // As the source writes it, quoted as the bank's rows are.
    const std::string row = text::CsvRow(*columns, app::Banks()[app::kMufg].facts.quoting);
    EXPECT_EQ(platform::Cp932ToUtf8(row), *c.row) << c.name;
    EXPECT_EQ(CommaSplit(row).size(), 15U) << c.name;
  }
}

TEST(FetchMufgPrefecture, OneDownloadServesEveryPrefectureOfTheJob) {
  MufgContext context;
  context.answers[kUrl] =
      File({DataLine("01", "札幌支店"), DataLine("13", "本店"), DataLine("27", "大阪営業部"),
            DataLine("14", "横浜支店"), DataLine("13", "新宿支店")});
  // 青森県 (no lines), 東京都, 神奈川県, 大阪府
  context.Run(kSource, {1, 12, 13, 26});
  EXPECT_EQ(context.requests, Lines{kUrl});
  EXPECT_EQ(context.rows, (Lines{ExpectedRow("本店"), ExpectedRow("新宿支店"),
                                 ExpectedRow("横浜支店"), ExpectedRow("大阪営業部")}));
  EXPECT_EQ(context.statuses,
            (Lines{"青森県 0/0", "東京都 1/2", "東京都 2/2", "神奈川県 1/1", "大阪府 1/1"}));
  EXPECT_FALSE(context.download_failed);
  // 300 ms after the download (or before reading it again), 500 ms per row.
  EXPECT_EQ(context.paused, std::chrono::milliseconds(4 * 300 + 4 * 500));
}

TEST(FetchMufgPrefecture, KeptLinesWithTheWrongFieldCountAreCountedButNotWritten) {
  MufgContext context;
  context.answers[kUrl] =
      File({Cp932("\"13\"," + kTail), DataLine("13", "本店"), DataLine("13", "新宿支店") + ",x"});
  context.Run(kSource, {12});
  EXPECT_EQ(context.rows, Lines{ExpectedRow("本店")});
  EXPECT_EQ(context.statuses, (Lines{"東京都 1/3", "東京都 2/3", "東京都 3/3"}));
}

TEST(FetchMufgPrefecture, FailedDownloadIsTriedAgainByTheNextPrefecture) {
  MufgContext context;
  context.answers[kUrl] = File({DataLine("13", "本店"), DataLine("14", "横浜支店")});
  context.failures_first[kUrl] = 1;
  context.Run(kSource, {12, 13});
  EXPECT_EQ(context.requests, (Lines{kUrl, kUrl}));
  EXPECT_EQ(context.rows, Lines{ExpectedRow("横浜支店")});
  EXPECT_EQ(context.statuses.front(), "東京都 0/0");
  EXPECT_TRUE(context.download_failed);
}

TEST(FetchMufgPrefecture, WithoutAHostEveryPrefectureRecordsAFailedDownload) {
  // The URL without a host is the downloader's to refuse; here nothing answers it.
  MufgContext context("");
  context.Run(kSource, {12, 13});
  EXPECT_EQ(context.requests, (Lines{"/report/data.txt", "/report/data.txt"}));
  EXPECT_TRUE(context.rows.empty());
  EXPECT_TRUE(context.download_failed);
}

TEST(FetchMufgPrefecture, StopRequestBetweenLinesKeepsTheRowsWritten) {
  MufgContext context;
  context.answers[kUrl] = File({DataLine("13", "本店"), DataLine("13", "新宿支店"),
                                DataLine("13", "渋谷支店"), DataLine("14", "横浜支店")});
  context.on_status = [](testing::FakeSourceContext& job) {
    if (job.Fields().PrefItemDone == 2)
      job.RequestStop();
  };
  context.Run(kSource, {12, 13});
  EXPECT_EQ(context.rows, (Lines{ExpectedRow("本店"), ExpectedRow("新宿支店")}));
  EXPECT_EQ(context.statuses.back(), "東京都 2/3") << "神奈川県 is never reached";
}

}  // namespace
}  // namespace tenrovel::sources
