#include "app/cli/prefecture_lookup.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "job/prefectures.h"
#include "platform/codepage.h"
#include "text/ascii_case.h"
#include "text/cp932.h"

namespace tenrovel::cli {

namespace {

// In the prefecture list's order; Hepburn without long vowels, as the
// prefectures write their own names in Latin letters.
constexpr std::array<std::string_view, job::kPrefectureCount> kRomanised = {
    "hokkaido",  "aomori",   "iwate",    "miyagi",    "akita",     "yamagata",  "fukushima",
    "ibaraki",   "tochigi",  "gunma",    "saitama",   "chiba",     "tokyo",     "kanagawa",
    "niigata",   "toyama",   "ishikawa", "fukui",     "yamanashi", "nagano",    "gifu",
    "shizuoka",  "aichi",    "mie",      "shiga",     "kyoto",     "osaka",     "hyogo",
    "nara",      "wakayama", "tottori",  "shimane",   "okayama",   "hiroshima", "yamaguchi",
    "tokushima", "kagawa",   "ehime",    "kochi",     "fukuoka",   "saga",      "nagasaki",
    "kumamoto",  "oita",     "miyazaki", "kagoshima", "okinawa"};

std::string Utf8Name(std::size_t index) {
  return platform::Cp932ToUtf8(job::PrefectureNames()[index]);
}

// 東京都 -> 東京; 北海道 keeps its 道, which is part of the name people use.
std::string ShortName(const std::string& utf8) {
  for (const std::string_view suffix : {"都", "府", "県"}) {
    if (utf8.size() > suffix.size() && utf8.ends_with(suffix))
      return utf8.substr(0, utf8.size() - suffix.size());
  }
  return utf8;
}

// Full-width digits (U+FF10..U+FF19, EF BC 90..99 in UTF-8) as ASCII.
std::string AsciiDigits(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (i + 2 < utf8.size() && utf8.compare(i, 2, "\xEF\xBC") == 0 &&
        static_cast<unsigned char>(utf8[i + 2]) >= 0x90 &&
        static_cast<unsigned char>(utf8[i + 2]) <= 0x99) {
      out += static_cast<char>('0' + (static_cast<unsigned char>(utf8[i + 2]) - 0x90));
      i += 2;
    } else {
      out += utf8[i];
    }
  }
  return out;
}

std::string Lower(std::string text) {
  for (char& c : text)
    c = text::AsciiLower(c);
  return text;
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::optional<std::size_t> FindPrefecture(const std::string& text) {
  const std::string t = AsciiDigits(text::Trim(text));
  if (!t.empty() && t.size() <= 2 && t.find_first_not_of("0123456789") == std::string::npos) {
    const int code = std::stoi(t);
    if (code >= 1 && code <= static_cast<int>(job::kPrefectureCount))
      return static_cast<std::size_t>(code - 1);
    return std::nullopt;
  }
  const std::string lower = Lower(t);
  for (std::size_t i = 0; i < job::kPrefectureCount; ++i) {
    const std::string name = Utf8Name(i);
    if (t == name || t == ShortName(name) || lower == kRomanised[i])
      return i;
  }
  return std::nullopt;
}

std::vector<std::string> SuggestPrefectures(const std::string& text) {
  const std::string t = Lower(text::Trim(text));
  struct Candidate {
    std::size_t distance;
    std::size_t index;
  };
  std::vector<Candidate> near;
  const bool latin =
      std::all_of(t.begin(), t.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  for (std::size_t i = 0; i < job::kPrefectureCount; ++i) {
    // Japanese names are compared by bytes: three per character.
    const std::size_t distance =
        latin ? EditDistance(t, kRomanised[i]) : (EditDistance(t, ShortName(Utf8Name(i))) + 2) / 3;
    if (distance <= 2)
      near.push_back({distance, i});
  }
  std::stable_sort(near.begin(), near.end(),
                   [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
  std::vector<std::string> names;
  // Only the nearest: "tokio" suggests tokyo, not every name two edits away.
  for (std::size_t k = 0; k < near.size() && k < 3 && near[k].distance == near[0].distance; ++k)
    names.push_back(Utf8Name(near[k].index) + " (" + std::string(kRomanised[near[k].index]) + ")");
  return names;
}

std::string PrefectureList() {
  std::string list;
  for (std::size_t i = 0; i < job::kPrefectureCount; ++i)
    list += job::PrefectureCode(i) + " " + Utf8Name(i) + " " + std::string(kRomanised[i]) + "\n";
  return list;
}

}  // namespace tenrovel::cli
