#include "sources/mizuho_answer.h"

#include "sources/decimal.h"
#include "text/cp932.h"

namespace tenrovel::sources {

namespace {

// A hit-count value up to the closing brace or bracket that ends its object
// when "hits" is its last key ("30}" or, at the end of the answer, "30}})").
std::string_view BeforeCloser(std::string_view value) {
  return value.substr(0, value.find_first_of("}]"));
}

}  // namespace

std::string MizuhoRequestPath(const std::string& pref_code, long long start) {
  return "/map/uc/PoiAttr?callback=jQuery171060744735493419791_1606560348591&grp=mizuho_all"
         "&kencode=" +
         pref_code + "&start=" + std::to_string(start) +
         "&srt=sort_num%2Ccitycode%2Cpoi_name_yomi&pm=10&json=1&vo=mbml"
         "&pp=print_start_date%2Cprint_end_date&poi_status=1&net_branch_flag=null&entref=1"
         "&_=1606560348828";
}

int ReadMizuhoHitCount(std::span<const std::string_view> items,
                       const std::function<bool()>& stop_requested) {
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    const std::string_view t = text::TrimView(*it);
    if (!text::StartsWith(t, ":{\"hi")) {
      if (stop_requested())
        break;
      continue;
    }
    const std::string rest = text::RemoveAll(t, ":{");
    const std::size_t colon = text::FindText(rest, ":");
    if (colon == std::string::npos)
      return 0;
    const std::string value = text::RemoveAll(std::string_view(rest).substr(colon + 1), "\"");
    return ParseInteger(BeforeCloser(value)).value_or(0);
  }
  return 0;
}

long long MizuhoAnswerLimit(int hit_count) {
  if (hit_count <= 0)
    return 0;
  return (static_cast<long long>(hit_count) + kMizuhoPageSize - 1) / kMizuhoPageSize;
}

bool IsMizuhoRecordStart(std::string_view item) {
  const std::string_view t = text::TrimView(item);
  if (text::StartsWith(t, "{\""))
    return true;
  if (!text::StartsWith(t, ":["))
    return false;
  // An empty array holds no record: reading it as one would write a row of
  // empty columns.
  return !text::StartsWith(text::TrimView(t.substr(2)), "]");
}

}  // namespace tenrovel::sources
