// The fixed texts of a job: header rows, prefectures, bank names, status line.
#include <gtest/gtest.h>

#include <string>

#include "job/bank.h"
#include "job/job_fields.h"
#include "job/prefectures.h"
#include "job/status_line.h"
#include "platform/codepage.h"

namespace tenrovel::job {
namespace {

std::string Cp932(const char* utf8) {
  return platform::Utf8ToCp932(utf8);
}

TEST(HeaderRowTest, EveryBankByteForByte) {
  struct Case {
    Bank bank;
    const char* utf8;
  };
  const Case cases[] = {
      {Bank::kMizuho,
       "\"名称\",\"名称カナ\",\"母店・店番号\",\"店舗形態\",\"郵便番号\",\"住所\",\"アクセス方法\","
       "\"電話番号\",\"駐車場有無\",\"平日ATM営業時間\",\"土曜日ATM営業時間\","
       "\"日曜日ATM営業時間\","
       "\"祝日・振替休日ATM営業時間\",\"通帳繰越機有無\",\"取扱商品\",\"緯度（世界測地系）\","
       "\"経度（世界測地系）\",\"詳細ページURL\""},
      {Bank::kSmbc,
       "\"名称\",\"名称かな\",\"店番号\",\"店舗形態\",\"郵便番号\",\"住所\",\"電話番号\","
       "\"平日ATM営業時間\",\"土曜ATM営業時間\",\"日曜ATM営業時間\",\"設備情報\","
       "\"サービス・その他\",\"緯度（世界測地系）\",\"経度（世界測地系）\",\"詳細ページURL\""},
      {Bank::kMufg,
       "\"名称\",\"名称かな\",\"母店・店番号\",\"郵便番号\",\"住所\",\"アクセス方法\",\"電話番号\","
       "\"駐車場有無\",\"平日ATM営業時間\",\"土曜日ATM営業時間\",\"日・祝日ATM営業時間\","
       "\"取扱商品・サービス\",\"緯度（世界測地系）\",\"経度（世界測地系）\",\"詳細ページURL\""},
  };
  for (const Case& c : cases) {
    const std::string& row = HeaderRow(c.bank);
    EXPECT_EQ(row, Cp932(c.utf8));
    // Every character has a CP932 form; a missing one would have become "?".
    EXPECT_EQ(row.find('?'), std::string::npos);
  }
  // The full-width parenthesis and the middle dot as Windows encodes them.
  EXPECT_NE(HeaderRow(Bank::kMufg).find("\x81\x69\x90\xA2"), std::string::npos);  // （世
  EXPECT_NE(HeaderRow(Bank::kMizuho).find("\x95\xEA\x93\x58\x81\x45"),
            std::string::npos);  // 母店・
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

TEST(BankNameTest, TrimsAndDropsSpaces) {
  struct Case {
    std::string caption;
    std::string name;
  };
  const Case cases[] = {
      {BankCaption(Bank::kMizuho), Cp932("みずほ銀行店舗")},
      {BankCaption(Bank::kSmbc), Cp932("三井住友銀行店舗")},
      {BankCaption(Bank::kMufg), Cp932("三菱UFJ銀行店舗")},
      {" \t A B \r\n", "AB"},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BankName(c.caption), c.name) << c.caption;
}

TEST(StatusLineTest, BankPrefectureAndCounters) {
  JobFields fields;
  fields.CurrentPrefName = Cp932("東京都");
  fields.PrefItemDone = 3;
  fields.PrefItemTotal = 25;
  EXPECT_EQ(StatusLine(BankCaption(Bank::kMizuho), fields),
            Cp932("みずほ銀行店舗 東京都 : 3/25件 取得中"));
  fields.PrefItemDone = 0;
  fields.PrefItemTotal = 0;
  EXPECT_EQ(StatusLine("", fields), Cp932(" 東京都 : 0/0件 取得中"));
}

}  // namespace
}  // namespace tenrovel::job
