#include "sources/smbc_list.h"

#include <charconv>

#include "job/cp932_text.h"
#include "job/text_utils.h"
#include "platform/codepage.h"
#include "regex/regexp.h"
#include "sources/smbc_texts.h"

namespace tenrovel::sources {

namespace {

// A whole decimal integer with an optional sign; 0 for anything else.
int IntegerOrZero(std::string_view text) {
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    return 0;
  return value;
}

}  // namespace

bool IsSmbcHitCountLine(std::string_view line) {
  // The page is UTF-8, where an ASCII byte is always a character of its own.
  return job::StartsWith(job::TrimView(line), "<li") && line.find("active") != std::string::npos;
}

int ReadSmbcHitCount(const std::vector<std::string>& lines,
                     const std::function<bool()>& stop_requested) {
  for (const std::string& line : lines) {
    if (IsSmbcHitCountLine(line)) {
      std::string text = job::Trim(job::StripTags(platform::Utf8ToCp932(job::TrimView(line))));
      text = job::ReplaceAllIgnoreCase(text, SmbcText().hits_label, "");
      text = job::ReplaceAllIgnoreCase(text, SmbcText().hits_unit, "");
      return IntegerOrZero(text);
    }
    if (stop_requested())
      return 0;
  }
  return 0;
}

std::string SmbcDetailId(std::string_view match) {
  return job::ReplaceAllIgnoreCase(job::ReplaceAllIgnoreCase(match, "Finf", ""), "%2F", "");
}

std::vector<std::string> SmbcDetailIds(std::string_view first_line) {
  std::vector<std::string> ids;
  regex::TRegExp re;
  re.SetExpression(u"Finf%2F(.*?)%2F");
  re.SetIgnoreCase(true);
  for (bool found = re.Exec(platform::Utf8ToUtf16(first_line)); found; found = re.ExecNext())
    ids.push_back(SmbcDetailId(platform::Utf16ToCp932(re.Groups()[0].Strings())));
  return ids;
}

}  // namespace tenrovel::sources
