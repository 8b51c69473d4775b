#include "sources/smbc_list.h"

#include "job/text_utils.h"
#include "platform/codepage.h"
#include "regex/regexp.h"
#include "sources/decimal.h"
#include "sources/smbc_texts.h"
#include "text/cp932.h"

namespace tenrovel::sources {

bool IsSmbcHitCountLine(std::string_view line) {
  // The page is UTF-8, where an ASCII byte is always a character of its own.
  return text::StartsWith(text::TrimView(line), "<li") && line.find("active") != std::string::npos;
}

int ReadSmbcHitCount(const std::vector<std::string>& lines,
                     const std::function<bool()>& stop_requested) {
  for (const std::string& line : lines) {
    if (IsSmbcHitCountLine(line)) {
      std::string count = text::Trim(job::StripTags(platform::Utf8ToCp932(text::TrimView(line))));
      count = text::ReplaceAllIgnoreCase(count, SmbcText().hits_label, "");
      count = text::ReplaceAllIgnoreCase(count, SmbcText().hits_unit, "");
      return ParseInteger(count).value_or(0);
    }
    if (stop_requested())
      return 0;
  }
  return 0;
}

std::string SmbcDetailId(std::string_view match) {
  return text::ReplaceAllIgnoreCase(text::ReplaceAllIgnoreCase(match, "Finf", ""), "%2F", "");
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
