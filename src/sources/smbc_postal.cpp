#include "sources/smbc_postal.h"

#include "job/text_utils.h"
#include "platform/codepage.h"
#include "regex/regexp.h"
#include "sources/smbc_texts.h"
#include "text/cp932.h"

namespace tenrovel::sources {

namespace {

// Addresses this short are not looked up.
constexpr std::size_t kShortestLookedUp = 11;

// "０" to "９" in CP932: 82 4F to 82 58.
bool IsFullWidthDigitAt(std::string_view text, std::size_t pos) {
  return pos + 1 < text.size() && static_cast<unsigned char>(text[pos]) == 0x82 &&
         static_cast<unsigned char>(text[pos + 1]) >= 0x4F &&
         static_cast<unsigned char>(text[pos + 1]) <= 0x58;
}

}  // namespace

std::string PostalLookupTown(std::string_view address) {
  if (address.size() < kShortestLookedUp)
    return {};
  std::string wide(address);
  for (const auto& [numeral, digit] : SmbcText().chome)
    wide = text::ReplaceAllIgnoreCase(wide, numeral, digit);
  wide = job::ToFullWidth(wide);
  for (std::size_t pos = 0; pos < wide.size(); pos += text::CharLengthAt(wide, pos)) {
    if (IsFullWidthDigitAt(wide, pos))
      return wide.substr(0, pos);
  }
  return {};
}

std::string PostalCodeFromAnswer(std::string_view first_line) {
  regex::TRegExp re;
  re.SetExpression(u"<ZipCode Old=(.*?)</ZipCode>");
  re.SetIgnoreCase(true);
  if (!re.Exec(platform::Utf8ToUtf16(first_line)))
    return {};
  return SmbcText().postal_mark +
         text::Trim(job::StripTags(platform::Utf16ToCp932(re.Groups()[0].Strings())));
}

}  // namespace tenrovel::sources
