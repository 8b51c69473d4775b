// The fixed texts of a job: prefectures and the status line.
#include <gtest/gtest.h>

#include <string>

#include "job/job_fields.h"
#include "job/prefectures.h"
#include "job/status_line.h"
#include "platform/codepage.h"

namespace tenrovel::job {
namespace {

std::string Cp932(const char* utf8) {
  return platform::Utf8ToCp932(utf8);
}

TEST(PrefecturesTest, ListOrderAndCodes) {
  const auto& names = PrefectureNames();
  EXPECT_EQ(names.front(), Cp932("北海道"));
  EXPECT_EQ(names[12], Cp932("東京都"));
  EXPECT_EQ(names[26], Cp932("大阪府"));
  EXPECT_EQ(names.back(), Cp932("沖縄県"));
  EXPECT_EQ(PrefectureCode(0), "01");
  EXPECT_EQ(PrefectureCode(12), "13");
  EXPECT_EQ(PrefectureCode(46), "47");
  EXPECT_THROW(PrefectureCode(47), std::out_of_range);
}

TEST(StatusLineTest, BankNamePrefectureAndCounters) {
  JobFields fields;
  fields.CurrentPrefName = Cp932("東京都");
  fields.PrefItemDone = 3;
  fields.PrefItemTotal = 25;
  // The bank name is the caption, trimmed, without its ASCII spaces.
  EXPECT_EQ(StatusLine(Cp932("みずほ銀行 店舗"), fields),
            Cp932("みずほ銀行店舗 東京都 : 3/25件 取得中"));
  EXPECT_EQ(StatusLine(" \t A B \r\n", fields), Cp932("AB 東京都 : 3/25件 取得中"));
  fields.PrefItemDone = 0;
  fields.PrefItemTotal = 0;
  EXPECT_EQ(StatusLine("", fields), Cp932(" 東京都 : 0/0件 取得中"));
}

}  // namespace
}  // namespace tenrovel::job
