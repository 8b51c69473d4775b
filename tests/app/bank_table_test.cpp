// The bank table, row by row: the facts written here and in
// expected/header_rows.csv (CP932, written out independently of our code
// with Python's cp932 codec) against what the program holds.
#include "app/bank_table.h"

#include <gtest/gtest.h>

#include "app/output_path.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "text/cp932.h"

namespace tenrovel::app {
namespace {

using namespace std::chrono_literals;
using job::SourceArgument;
using text::CsvQuoting;

TEST(BankTable, EveryRowHoldsItsBanksFacts) {
  struct Row {
    const char* key;
    const char* caption;  // UTF-8
    const char* file_name;
    SourceArgument argument;
    CsvQuoting quoting;
    job::SourcePauses pauses;
    bool keeps_download;
  };
  constexpr auto kCode = SourceArgument::kPrefectureCode;
  constexpr auto kName = SourceArgument::kPrefectureName;
  constexpr auto kEvery = CsvQuoting::kEveryField;
  // clang-format off
  const Row rows[kBankCount] = {
      {"mizuho", "みずほ銀行 店舗", "みずほ銀行店舗一覧.csv", kCode, kEvery, {300ms, 0ms}, false},
      {"smbc", "三井住友銀行 店舗", "三井住友銀行店舗一覧.csv", kName, kEvery, {300ms, 0ms}, false},
      {"mufg", "三菱UFJ銀行 店舗", "三菱UFJ銀行店舗一覧.csv", kCode, CsvQuoting::kMinimal, {300ms, 500ms}, true},
  };
  // clang-format on
  const auto headers =
      platform::ReadFileBytes(TENROVEL_SOURCE_DIR "/tests/app/expected/header_rows.csv");
  ASSERT_TRUE(headers.has_value());
  const std::vector<std::string_view> header_rows = text::SplitLines(*headers);
  ASSERT_EQ(header_rows.size(), kBankCount);

  for (std::size_t i = 0; i < kBankCount; ++i) {
    const Row& expected = rows[i];
    const BankRow& row = Banks()[i];
    SCOPED_TRACE(expected.key);
    EXPECT_EQ(row.facts.key, expected.key);
    EXPECT_EQ(FindBank(expected.key), i);
    EXPECT_EQ(platform::Cp932ToUtf8(row.facts.caption), expected.caption);
    EXPECT_EQ(platform::Cp932ToUtf8(DefaultOutputFileName(row.facts)), expected.file_name);
    EXPECT_EQ(row.facts.header_row, header_rows[i]);
    EXPECT_EQ(row.facts.argument, expected.argument);
    EXPECT_EQ(row.facts.quoting, expected.quoting);
    EXPECT_EQ(row.facts.pauses.after_download, expected.pauses.after_download);
    EXPECT_EQ(row.facts.pauses.before_row, expected.pauses.before_row);
    EXPECT_EQ(row.facts.keeps_download, expected.keeps_download);
    EXPECT_TRUE(row.source) << "every bank has its source";
  }
  EXPECT_EQ(FindBank("Mizuho"), std::nullopt);
}

}  // namespace
}  // namespace tenrovel::app
