#include "job/bank.h"

#include <array>
#include <initializer_list>
#include <vector>

#include "platform/codepage.h"
#include "text/csv_row.h"

namespace tenrovel::job {

namespace {

std::string QuotedRow(std::initializer_list<const char*> utf8_columns) {
  std::vector<std::string> columns;
  for (const char* column : utf8_columns)
    columns.push_back(platform::Utf8ToCp932(column));
  return text::CsvRow(columns, text::CsvQuoting::kEveryField);
}

std::size_t Index(Bank bank) {
  return static_cast<std::size_t>(bank);
}

}  // namespace

const std::string& BankCaption(Bank bank) {
  static const std::array<std::string, 3> kCaptions = {
      platform::Utf8ToCp932("みずほ銀行 店舗"),
      platform::Utf8ToCp932("三井住友銀行 店舗"),
      platform::Utf8ToCp932("三菱UFJ銀行 店舗"),
  };
  return kCaptions.at(Index(bank));
}

std::string BankName(std::string_view caption) {
  // Control characters only ever sit at the ends; spaces go wherever they are.
  std::string name;
  for (const char c : caption) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte != ' ')
      name += c;
  }
  const auto is_blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (!name.empty() && is_blank(name.back()))
    name.pop_back();
  std::size_t first = 0;
  while (first < name.size() && is_blank(name[first]))
    ++first;
  return name.substr(first);
}

const std::string& HeaderRow(Bank bank) {
  static const std::array<std::string, 3> kHeaders = {
      QuotedRow({"名称", "名称カナ", "母店・店番号", "店舗形態", "郵便番号", "住所", "アクセス方法",
                 "電話番号", "駐車場有無", "平日ATM営業時間", "土曜日ATM営業時間",
                 "日曜日ATM営業時間", "祝日・振替休日ATM営業時間", "通帳繰越機有無", "取扱商品",
                 "緯度（世界測地系）", "経度（世界測地系）", "詳細ページURL"}),
      QuotedRow({"名称", "名称かな", "店番号", "店舗形態", "郵便番号", "住所", "電話番号",
                 "平日ATM営業時間", "土曜ATM営業時間", "日曜ATM営業時間", "設備情報",
                 "サービス・その他", "緯度（世界測地系）", "経度（世界測地系）", "詳細ページURL"}),
      QuotedRow({"名称", "名称かな", "母店・店番号", "郵便番号", "住所", "アクセス方法", "電話番号",
                 "駐車場有無", "平日ATM営業時間", "土曜日ATM営業時間", "日・祝日ATM営業時間",
                 "取扱商品・サービス", "緯度（世界測地系）", "経度（世界測地系）",
                 "詳細ページURL"}),
  };
  return kHeaders.at(Index(bank));
}

}  // namespace tenrovel::job
