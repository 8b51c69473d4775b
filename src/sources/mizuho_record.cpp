#include "sources/mizuho_record.h"

#include <optional>

#include "job/text_utils.h"
#include "platform/codepage.h"
#include "sources/json_text.h"
#include "sources/mizuho_answer.h"
#include "text/cp932.h"

namespace tenrovel::sources {

namespace {

using text::ContainsText;
using text::RemoveAll;
using text::StartsWith;
using text::Trim;

enum class Rule { kValue, kTelephone, kParking, kPassbook, kProduct, kId };

struct KeyRow {
  std::string_view prefix;
  Rule rule;
  int column;  // -1: the location id
};

// In dispatch order: the first row whose prefix begins the item applies.
constexpr KeyRow kKeyTable[] = {
    {"nam", Rule::kValue, 0},        {"poi_name_yo", Rule::kValue, 1},
    {"sho", Rule::kValue, 2},        {"pare", Rule::kValue, 2},
    {"kin", Rule::kValue, 3},        {"zip", Rule::kValue, 4},
    {"full_a", Rule::kValue, 5},     {"acc", Rule::kValue, 6},
    {"tel", Rule::kTelephone, 7},    {"park_na", Rule::kParking, 8},
    {"atm_ti", Rule::kValue, 9},     {"atm_sa", Rule::kValue, 10},
    {"atm_su", Rule::kValue, 11},    {"atm_ho", Rule::kValue, 12},
    {"book_t", Rule::kPassbook, 13}, {"lat", Rule::kValue, 15},
    {"lon", Rule::kValue, 16},       {"for", Rule::kProduct, 14},
    {"inv", Rule::kProduct, 14},     {"bon", Rule::kProduct, 14},
    {"ins", Rule::kProduct, 14},     {"sal", Rule::kProduct, 14},
    {"lot", Rule::kProduct, 14},     {"id", Rule::kId, -1},
};

struct Texts {
  std::string parking = platform::Utf8ToCp932("有り");
  std::string passbook_yes = platform::Utf8ToCp932("有");
  std::string same_hours = platform::Utf8ToCp932("時間と同じ");
  std::string list_separator = platform::Utf8ToCp932("、");
  std::string labels[6] = {
      platform::Utf8ToCp932("外貨預金"),
      platform::Utf8ToCp932("投資信託"),
      platform::Utf8ToCp932("金融債・金融債総合口座"),
      platform::Utf8ToCp932("保険"),
      platform::Utf8ToCp932("プレミアムサロン設置店"),
      platform::Utf8ToCp932("宝くじブース設置店"),
  };
};

const Texts& Fixed() {
  static const Texts texts;
  return texts;
}

std::string_view ProductLabel(std::string_view prefix) {
  static constexpr std::string_view kPrefixes[] = {"for", "inv", "bon", "ins", "sal", "lot"};
  for (std::size_t k = 0; k < std::size(kPrefixes); ++k) {
    if (prefix == kPrefixes[k])
      return Fixed().labels[k];
  }
  return {};
}

struct CutValue {
  std::string text;    // quotes removed, not yet trimmed or decoded
  bool from_own_item;  // key and value were in one item
};

// The value of the key at item i (read as `own`, the item as the scan sees
// it): from its own item after ":\"", or else from the next item; nullopt
// when neither exists.
std::optional<CutValue> Cut(std::span<const std::string_view> items, std::size_t i,
                            std::string_view own) {
  const std::string_view s = text::TrimView(own);
  if (const std::size_t w = text::FindText(s, ":\""); w != std::string::npos) {
    return CutValue{RemoveUnescapedQuotes(std::string_view(s).substr(w + 1)), true};
  }
  if (i + 1 >= items.size())
    return std::nullopt;
  return CutValue{RemoveUnescapedQuotes(RemoveAll(Trim(items[i + 1]), ":\"")), false};
}

class RecordReader {
 public:
  RecordReader(std::span<const std::string_view> items, std::string_view detail_base_url)
      : items_(items), detail_base_url_(detail_base_url) {}

  // Item i, trimmed and read as `t` (the record's first item without its
  // record start).
  void Dispatch(std::size_t i, std::string_view t) {
    for (const KeyRow& row : kKeyTable) {
      if (!StartsWith(t, row.prefix))
        continue;
      Apply(row, i, t);
      return;
    }
  }

  MizuhoColumns Finish() {
    if (!id_.empty()) {
      columns_[17] = std::string(detail_base_url_) + "/b/mizuho/info/" + id_ + "/";
    }
    return std::move(columns_);
  }

 private:
  void Apply(const KeyRow& row, std::size_t i, std::string_view own) {
    switch (row.rule) {
      case Rule::kValue:
        if (auto v = Cut(items_, i, own))
          columns_[row.column] = DecodeJsonEscapes(Trim(v->text));
        break;
      case Rule::kId:
        if (auto v = Cut(items_, i, own))
          id_ = DecodeJsonEscapes(Trim(v->text));
        break;
      case Rule::kTelephone:
        if (auto v = Cut(items_, i, own)) {
          const std::string tel = DecodeJsonEscapes(Trim(job::StripTags(v->text)));
          // A tag cut in two keeps its "<img"; such a value is not a number.
          if (v->from_own_item) {
            columns_[row.column] = Trim(tel);
          } else if (!ContainsText(tel, "<img")) {
            columns_[row.column] = tel;
          }
        }
        break;
      case Rule::kParking:
        columns_[row.column] = Fixed().parking;
        break;
      case Rule::kPassbook:
        if (auto v = Cut(items_, i, own)) {
          const std::string value = DecodeJsonEscapes(Trim(v->text));
          columns_[row.column] =
              ContainsText(value, Fixed().same_hours) ? Fixed().passbook_yes : Trim(value);
        }
        break;
      case Rule::kProduct: {
        const bool offered = ContainsText(own, "\"1\"") ||
                             (i + 1 < items_.size() && ContainsText(items_[i + 1], "\"1\""));
        if (offered) {
          std::string& products = columns_[row.column];
          if (!products.empty())
            products += Fixed().list_separator;
          products += ProductLabel(row.prefix);
        }
        break;
      }
    }
  }

  std::span<const std::string_view> items_;
  std::string_view detail_base_url_;
  MizuhoColumns columns_{};
  std::string id_;
};

}  // namespace

MizuhoColumns ExtractMizuhoColumns(std::span<const std::string_view> items, std::size_t start,
                                   const std::function<bool()>& stop_requested,
                                   std::string_view detail_base_url) {
  RecordReader reader(items, detail_base_url);
  std::string first;  // the record's first item without its record start
  for (std::size_t i = start; i < items.size(); ++i) {
    std::string_view t = text::TrimView(items[i]);
    if (StartsWith(t, ":{"))
      break;  // a nested object: the record's own keys are done
    if (IsMizuhoRecordStart(t)) {
      if (i > start)
        break;  // the next record begins
      first = Trim(RemoveAll(RemoveAll(t, ":["), "{\""));
      t = first;
    }
    reader.Dispatch(i, t);
    if (stop_requested())
      break;
  }
  return reader.Finish();
}

}  // namespace tenrovel::sources
