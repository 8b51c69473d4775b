// The rows of the bank table. Their texts are written here in UTF-8 and
// converted to CP932 once, when the table is first used.
#include "app/bank_table.h"

#include <initializer_list>
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

// The texts are written here in UTF-8 and kept in CP932.
job::BankFacts Facts(const char* key, const char* caption_utf8,
                     std::initializer_list<const char*> header_utf8) {
  job::BankFacts facts;
  facts.key = key;
  facts.caption = platform::Utf8ToCp932(caption_utf8);
  std::vector<std::string> columns;
  for (const char* column : header_utf8)
    columns.push_back(platform::Utf8ToCp932(column));
  facts.header_row = text::CsvRow(columns, CsvQuoting::kEveryField);
  return facts;
}

BankTable MakeBanks() {
  BankTable banks;

  BankRow& mizuho = banks[kMizuho];
  mizuho.facts =
      Facts("mizuho", "みずほ銀行 店舗",
            {"名称", "名称カナ", "母店・店番号", "店舗形態", "郵便番号", "住所", "アクセス方法",
             "電話番号", "駐車場有無", "平日ATM営業時間", "土曜日ATM営業時間", "日曜日ATM営業時間",
             "祝日・振替休日ATM営業時間", "通帳繰越機有無", "取扱商品", "緯度（世界測地系）",
             "経度（世界測地系）", "詳細ページURL"});
  mizuho.facts.argument = SourceArgument::kPrefectureCode;
  mizuho.facts.quoting = CsvQuoting::kEveryField;
  mizuho.facts.pauses = {300ms, 0ms};
  mizuho.source = &sources::FetchMizuhoPrefecture;
  mizuho.site = &job::SiteConfig::mizuho_url;

  BankRow& smbc = banks[kSmbc];
  smbc.facts =
      Facts("smbc", "三井住友銀行 店舗",
            {"名称", "名称かな", "店番号", "店舗形態", "郵便番号", "住所", "電話番号",
             "平日ATM営業時間", "土曜ATM営業時間", "日曜ATM営業時間", "設備情報",
             "サービス・その他", "緯度（世界測地系）", "経度（世界測地系）", "詳細ページURL"});
  smbc.facts.argument = SourceArgument::kPrefectureName;
  smbc.facts.quoting = CsvQuoting::kEveryField;
  smbc.facts.pauses = {300ms, 0ms};
  smbc.source = &sources::FetchSmbcPrefecture;
  smbc.site = &job::SiteConfig::smbc_url;

  BankRow& mufg = banks[kMufg];
  mufg.facts =
      Facts("mufg", "三菱UFJ銀行 店舗",
            {"名称", "名称かな", "母店・店番号", "郵便番号", "住所", "アクセス方法", "電話番号",
             "駐車場有無", "平日ATM営業時間", "土曜日ATM営業時間", "日・祝日ATM営業時間",
             "取扱商品・サービス", "緯度（世界測地系）", "経度（世界測地系）", "詳細ページURL"});
  mufg.facts.argument = SourceArgument::kPrefectureCode;
  mufg.facts.quoting = CsvQuoting::kMinimal;
  mufg.facts.pauses = {300ms, 500ms};
  mufg.facts.keeps_download = true;  // one data file serves the whole job
  mufg.source = &sources::FetchMufgPrefecture;
  mufg.site = &job::SiteConfig::mufg_url;

  return banks;
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
