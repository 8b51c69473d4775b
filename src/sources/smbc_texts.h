// The fixed Japanese texts that the SMBC source looks for and writes, in
// CP932, converted once from the UTF-8 in smbc_texts.cpp.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace tenrovel::sources {

struct SmbcTexts {
  // Search page: the hit-count line's words around the number.
  std::string hits_label;  // 店舗・ATM
  std::string hits_unit;   // 件

  // Detail page: the header cells of the information table.
  std::string header_shop_no;     // 店番
  std::string header_name;        // 名称
  std::string header_kind;        // 種類
  std::string header_address;     // 住所
  std::string header_contact;     // お問い合わせ
  std::string header_atm_hours;   // ATM営業時間
  std::string header_facilities;  // 設備情報

  std::string contact_link;              // お問い合わせはこちら: no number given
  std::array<std::string, 3> day_names;  // 平日, 土曜, 日曜
  std::string closed_hours;              // -～-
  std::string closed_mark;               // －
  std::string list_separator;            // 、
  std::string postal_mark;               // 〒
  // Facility icons (file name, label) in the order their labels are listed.
  std::array<std::pair<std::string_view, std::string>, 6> icons;

  // Postal-code lookup: 一丁目..九丁目 and their replacements １丁目..９丁目.
  std::array<std::pair<std::string, std::string>, 9> chome;
};

const SmbcTexts& SmbcText();

}  // namespace tenrovel::sources
