#include "sources/smbc_texts.h"

#include "platform/codepage.h"

namespace tenrovel::sources {

namespace {

std::string Sjis(std::string_view utf8) {
  return platform::Utf8ToCp932(utf8);
}

SmbcTexts MakeTexts() {
  SmbcTexts t;
  t.hits_label = Sjis("店舗・ATM");
  t.hits_unit = Sjis("件");
  t.header_shop_no = Sjis("店番");
  t.header_name = Sjis("名称");
  t.header_kind = Sjis("種類");
  t.header_address = Sjis("住所");
  t.header_contact = Sjis("お問い合わせ");
  t.header_atm_hours = Sjis("ATM営業時間");
  t.header_facilities = Sjis("設備情報");
  t.contact_link = Sjis("お問い合わせはこちら");
  t.day_names = {Sjis("平日"), Sjis("土曜"), Sjis("日曜")};
  t.closed_hours = Sjis("-～-");
  t.closed_mark = Sjis("－");
  t.list_separator = Sjis("、");
  t.postal_mark = Sjis("〒");
  t.icons = {{
      {"ico_aed.png", Sjis("AED設置")},
      {"ico_atm.png", Sjis("視覚障がい者対応ATM")},
      {"ico_pen.png", Sjis("筆談対応可")},
      {"ico_dog.png", Sjis("ほじょ犬同伴可")},
      {"ico_free.png", Sjis("段差解消")},
      {"07WCP_PC.png", Sjis("車いす対応駐車場")},
  }};
  static constexpr std::string_view kNumerals[9][2] = {
      {"一", "１"}, {"二", "２"}, {"三", "３"}, {"四", "４"}, {"五", "５"},
      {"六", "６"}, {"七", "７"}, {"八", "８"}, {"九", "９"},
  };
  for (std::size_t i = 0; i < 9; ++i) {
    t.chome[i] = {Sjis(std::string(kNumerals[i][0]) + "丁目"),
                  Sjis(std::string(kNumerals[i][1]) + "丁目")};
  }
  return t;
}

}  // namespace

const SmbcTexts& SmbcText() {
  static const SmbcTexts texts = MakeTexts();
  return texts;
}

}  // namespace tenrovel::sources
