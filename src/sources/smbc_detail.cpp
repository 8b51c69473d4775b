#include "sources/smbc_detail.h"

#include <string_view>

#include "job/text_utils.h"
#include "platform/codepage.h"
#include "sources/smbc_texts.h"
#include "text/cp932.h"

namespace tenrovel::sources {

namespace {

using job::StripTags;
using text::FindText;
using text::ReplaceAllIgnoreCase;
using text::Trim;
using text::TrimView;

// Column indexes (0-based) of the SMBC row.
enum Column : std::size_t {
  kName,
  kNameKana,
  kShopNo,
  kKind,
  kPostalCode,
  kAddress,
  kTelephone,
  kAtmWeekday,
  kAtmSaturday,
  kAtmSunday,
  kFacilities,
  kServices,
  kLatitude,
  kLongitude,
};

// The rows that read following lines look at no more than this many.
constexpr std::size_t kMaxFollowingLines = 19;

std::string_view Lead(std::string_view trimmed) {
  return trimmed.substr(0, 3);
}

// Raw lines are UTF-8, where an ASCII marker can be found byte-wise.
bool RawContains(std::string_view line, std::string_view marker) {
  return line.find(marker) != std::string_view::npos;
}

std::string Converted(std::string_view raw_line) {
  return platform::Utf8ToCp932(TrimView(raw_line));
}

std::string CellValue(std::string_view raw_line) {
  return Trim(StripTags(Converted(raw_line)));
}

std::string WithoutTags(std::string_view text) {
  return Trim(StripTags(text));
}

void AppendListed(std::string& list, std::string_view item) {
  if (!list.empty())
    list += SmbcText().list_separator;
  list += item;
}

class PageScan {
 public:
  PageScan(const std::vector<std::string>& lines, const std::function<bool()>& stop_requested)
      : lines_(lines), stop_requested_(stop_requested) {}

  SmbcColumns Run() {
    for (std::size_t k = 0; k < lines_.size(); ++k) {
      const std::string_view raw = lines_[k];
      const std::string_view lead = Lead(TrimView(raw));
      if (lead == "<sp") {
        if (RawContains(raw, "icoWhite"))
          ReadServices(raw);
      } else if (lead == "<a ") {
        if (RawContains(raw, "maps.google"))
          ReadMapLink(raw);
      } else if (lead == "<th") {
        if (!ReadTableRow(k))
          break;
      }
    }
    return columns_;
  }

 private:
  // The spans of the services line, each without tags, listed with "、";
  // a later services line replaces an earlier one.
  void ReadServices(std::string_view raw) {
    std::vector<std::string> pieces;
    job::SplitText(Converted(raw), "</span>", pieces);
    std::string list;
    for (const std::string& piece : pieces) {
      if (Lead(TrimView(piece)) != "<sp")
        continue;
      const std::string text = WithoutTags(piece);
      if (!text.empty())
        AppendListed(list, text);
    }
    columns_[kServices] = Trim(list);
  }

  // "...?q=<latitude>,<longitude>"..." gives both coordinates.
  void ReadMapLink(std::string_view raw) {
    const std::string text = Converted(raw);
    const std::size_t query = FindText(text, "?");
    if (query == std::string::npos)
      return;
    std::string rest = text.substr(query + 1);
    const std::size_t quote = FindText(rest, "\"");
    if (quote == std::string::npos)
      return;
    rest = ReplaceAllIgnoreCase(rest.substr(0, quote), "q=", "");
    const std::size_t comma = FindText(rest, ",");
    if (comma == std::string::npos)
      return;
    columns_[kLatitude] = rest.substr(0, comma);
    columns_[kLongitude] = rest.substr(comma + 1);
  }

  // A row of the information table, its header cell at line k. Returns false
  // when the page scan ends here (after the facilities row).
  bool ReadTableRow(std::size_t k) {
    const SmbcTexts& t = SmbcText();
    const std::string header = CellValue(lines_[k]);
    const bool has_next = k + 1 < lines_.size();
    if (header == t.header_shop_no) {
      if (has_next)
        columns_[kShopNo] = CellValue(lines_[k + 1]);
    } else if (header == t.header_name) {
      if (has_next)
        ReadName(lines_[k + 1]);
    } else if (header == t.header_kind) {
      if (has_next)
        columns_[kKind] = CellValue(lines_[k + 1]);
    } else if (header == t.header_address) {
      if (has_next)
        ReadAddress(lines_[k + 1]);
    } else if (header == t.header_contact) {
      ReadContact(k);
    } else if (header == t.header_atm_hours) {
      ReadAtmHours(k);
    } else if (header == t.header_facilities) {
      return !ReadFacilities(k);
    }
    return true;
  }

  // Name up to the first "<br>", the reading after it.
  void ReadName(std::string_view raw) {
    const std::string text = Converted(raw);
    const std::size_t br = FindText(text, "<br>");
    if (br == std::string::npos) {
      columns_[kName] = WithoutTags(text);
      return;
    }
    columns_[kName] = WithoutTags(text.substr(0, br));
    columns_[kNameKana] = WithoutTags(ReplaceAllIgnoreCase(text.substr(br), "<br>", " "));
  }

  // "〒<code> <address>" or the address alone.
  void ReadAddress(std::string_view raw) {
    const std::string text = WithoutTags(ReplaceAllIgnoreCase(Converted(raw), "<br>", " "));
    std::string address = text;
    if (text::ContainsText(text, SmbcText().postal_mark)) {
      const std::size_t space = FindText(text, " ");
      if (space == std::string::npos)
        return;
      columns_[kPostalCode] = text.substr(0, space);
      address = text.substr(space + 1);
    }
    columns_[kAddress] = Trim(job::NormalizeNumerals(address));
  }

  // Calls `visit` with each following line of the row at k (trimmed, raw)
  // until it returns false. The lines end before the closing line ("</t"),
  // after kMaxFollowingLines, at a stop request, and before the page's last
  // line, which is never looked at.
  template <typename Visit>
  void ForFollowingLines(std::size_t k, Visit visit) {
    for (std::size_t i = 1; i <= kMaxFollowingLines; ++i) {
      if (stop_requested_() || k + i + 1 >= lines_.size())
        return;
      const std::string_view line = TrimView(lines_[k + i]);
      if (Lead(line) == "</t" || !visit(line))
        return;
    }
  }

  void ReadContact(std::size_t k) {
    std::string joined;
    ForFollowingLines(k, [&](std::string_view line) {
      const std::string value = CellValue(line);
      if (!value.empty()) {
        if (!joined.empty())
          joined += ' ';
        joined += value;
      }
      return true;
    });
    columns_[kTelephone] = joined == SmbcText().contact_link ? std::string() : joined;
  }

  // Weekday, Saturday and Sunday hours from the first three "<li" lines.
  void ReadAtmHours(std::size_t k) {
    const SmbcTexts& t = SmbcText();
    std::size_t filled = 0;
    ForFollowingLines(k, [&](std::string_view line) {
      if (Lead(line) != "<li")
        return true;
      std::string hours = CellValue(line);
      for (const std::string& day : t.day_names)
        hours = ReplaceAllIgnoreCase(hours, day, "");
      if (hours == t.closed_hours)
        hours = t.closed_mark;
      columns_[kAtmWeekday + filled] = hours;
      return ++filled < 3;
    });
  }

  // The facility labels of the icons on the row's first "<li" line; true
  // when there was such a line, which ends the page scan.
  bool ReadFacilities(std::size_t k) {
    std::string icon_line;
    bool found = false;
    ForFollowingLines(k, [&](std::string_view line) {
      if (Lead(line) != "<li")
        return true;
      icon_line = platform::Utf8ToCp932(line);
      found = true;
      return false;
    });
    if (!found)
      return false;
    std::string list;
    for (const auto& [file_name, label] : SmbcText().icons) {
      if (text::ContainsText(icon_line, file_name))
        AppendListed(list, label);
    }
    columns_[kFacilities] = Trim(list);
    return true;
  }

  const std::vector<std::string>& lines_;
  const std::function<bool()>& stop_requested_;
  SmbcColumns columns_;
};

}  // namespace

SmbcColumns ScanSmbcDetailPage(const std::vector<std::string>& lines,
                               const std::function<bool()>& stop_requested) {
  return PageScan(lines, stop_requested).Run();
}

}  // namespace tenrovel::sources
