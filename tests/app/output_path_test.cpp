#include <gtest/gtest.h>

#include "app/bank_table.h"
#include "app/output_path.h"
#include "platform/codepage.h"

namespace tenrovel::app {
namespace {

namespace fs = std::filesystem;

TEST(OutputPathTest, AppendsCsvUnlessTheExtensionIsCsvInAnyCase) {
  struct Case {
    fs::path chosen;
    fs::path expected;
  };
  const Case cases[] = {
      {"report", "report.csv"},
      {"report.CSV", "report.CSV"},
      {"x.Csv", "x.Csv"},
      {"x.txt", "x.txt.csv"},
      {"x.", "x..csv"},
      {".csv", ".csv"},
      {fs::path("dir.d") / "report", fs::path("dir.d") / "report.csv"},
      {fs::path("a.csv") / "b", fs::path("a.csv") / "b.csv"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WithCsvExtension(c.chosen), c.expected) << c.chosen;
}

TEST(OutputPathTest, PathsFromCp932Text) {
  const fs::path path = PathFromCp932(DefaultOutputFileName(Banks()[kMizuho].facts));
  EXPECT_TRUE(path.u8string() == u8"みずほ銀行店舗一覧.csv");
}

}  // namespace
}  // namespace tenrovel::app
