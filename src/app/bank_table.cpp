// The rows of the bank table. Their texts are written here in UTF-8 and
// converted to CP932 once, when the table is first used.
#include "app/bank_table.h"

#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "sources/mizuho.h"
#include "sources/mufg.h"
#include "sources/smbc.h"

namespace tenrovel::app {

namespace {

using namespace std::chrono_literals;
using job::SourceArgument;
using text::CsvQuoting;

// One row: the texts in UTF-8, kept in CP932, and the other facts as given.
BankRow Row(const char* key, const char* caption_utf8,
            std::initializer_list<const char*> header_utf8, job::BankFacts facts,
            job::SourceEntry source, std::string job::SiteConfig::*site) {
  facts.key = key;
  facts.caption = platform::Utf8ToCp932(caption_utf8);
  std::vector<std::string> columns;
  for (const char* column : header_utf8)
    columns.push_back(platform::Utf8ToCp932(column));
  facts.header_row = text::CsvRow(columns, CsvQuoting::kEveryField);
  return {std::move(facts), std::move(source), site};
}

BankTable MakeBanks() {
  return {{
      Row("mizuho", "みずほ銀行 店舗",
          {"名称", "名称カナ", "母店・店番号", "店舗形態", "郵便番号", "住所", "アクセス方法",
           "電話番号", "駐車場有無", "平日ATM営業時間", "土曜日ATM営業時間", "日曜日ATM営業時間",
           "祝日・振替休日ATM営業時間", "通帳繰越機有無", "取扱商品", "緯度（世界測地系）",
           "経度（世界測地系）", "詳細ページURL"},
          {.argument = SourceArgument::kPrefectureCode,
           .quoting = CsvQuoting::kEveryField,
           .pauses = {.after_download = 300ms}},
          &sources::FetchMizuhoPrefecture, &job::SiteConfig::mizuho_url),
      Row("smbc", "三井住友銀行 店舗",
          {"名称", "名称かな", "店番号", "店舗形態", "郵便番号", "住所", "電話番号",
           "平日ATM営業時間", "土曜ATM営業時間", "日曜ATM営業時間", "設備情報", "サービス・その他",
           "緯度（世界測地系）", "経度（世界測地系）", "詳細ページURL"},
          {.argument = SourceArgument::kPrefectureName,
           .quoting = CsvQuoting::kEveryField,
           .pauses = {.after_download = 300ms}},
          &sources::FetchSmbcPrefecture, &job::SiteConfig::smbc_url),
      // One prepared data file serves the whole job.
      Row("mufg", "三菱UFJ銀行 店舗",
          {"名称", "名称かな", "母店・店番号", "郵便番号", "住所", "アクセス方法", "電話番号",
           "駐車場有無", "平日ATM営業時間", "土曜日ATM営業時間", "日・祝日ATM営業時間",
           "取扱商品・サービス", "緯度（世界測地系）", "経度（世界測地系）", "詳細ページURL"},
          {.argument = SourceArgument::kPrefectureCode,
           .quoting = CsvQuoting::kMinimal,
           .pauses = {.after_download = 300ms, .before_row = 500ms},
           .keeps_download = true},
          &sources::FetchMufgPrefecture, &job::SiteConfig::mufg_url),
  }};
}

}  // namespace

const BankTable& Banks() {
  static const BankTable kBanks = MakeBanks();
  return kBanks;
}

std::optional<std::size_t> FindBank(std::string_view key) {
  for (std::size_t i = 0; i < kBankCount; ++i) {
    if (Banks()[i].facts.key == key)
      return i;
  }
  return std::nullopt;
}

}  // namespace tenrovel::app
