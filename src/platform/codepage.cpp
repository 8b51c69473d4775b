// Conversions composed from the backend's CP932 and the portable UTF-8 code.
#include "platform/codepage.h"

#include <algorithm>
#include "platform/codepage_backend.h"

namespace tenrovel::platform {

namespace {

// Japanese text often carries these characters in their JIS X 0208 form,
// which code page 932 lacks (the system would write "?"): 8:45〜18:00 with a
// wave dash. They become the code page's own twins.
struct JisTwin {
  char16_t unit;
  const char* cp932;
};
constexpr JisTwin kJisTwins[] = {
    {u'\u301C', "\x81\x60"},  // wave dash -> full-width tilde
    {u'\u2016', "\x81\x61"},  // double vertical line -> parallel to
    {u'\u2212', "\x81\x7C"},  // minus sign -> full-width hyphen-minus
    {u'\u00A2', "\x81\x91"},  // cent sign -> full-width cent sign
    {u'\u00A3', "\x81\x92"},  // pound sign -> full-width pound sign
    {u'\u00AC', "\x81\xCA"},  // not sign -> full-width not sign
    {u'\u2014', "\x81\x5C"},  // em dash -> horizontal bar
};

const char* JisTwinOf(char16_t unit) {
  for (const JisTwin& twin : kJisTwins) {
    if (twin.unit == unit)
      return twin.cp932;
  }
  return nullptr;
}

}  // namespace

std::string Utf16ToCp932(std::u16string_view utf16) {
  std::string out;
  std::size_t run = 0;  // start of the text not converted yet
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char* twin = JisTwinOf(utf16[i]);
    if (twin == nullptr)
      continue;
    out += backend::Utf16ToCp932(utf16.substr(run, i - run));
    out += twin;
    run = i + 1;
  }
  out += backend::Utf16ToCp932(utf16.substr(run));
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  // In pieces, so that a large answer is not held a third time as UTF-16.
  // A piece ends before a byte that is no continuation byte (10xxxxxx), where
  // neither a character nor an ill-formed sequence can straddle the cut; the
  // CP932 text is never longer than the UTF-8 text.
  constexpr std::size_t kPiece = 64 * 1024;
  std::string cp932;
  cp932.reserve(utf8.size());
  while (!utf8.empty()) {
    std::size_t cut = std::min(kPiece, utf8.size());
    while (cut < utf8.size() && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
      ++cut;
    cp932 += Utf16ToCp932(Utf8ToUtf16(utf8.substr(0, cut)));
    utf8.remove_prefix(cut);
  }
  return cp932;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  return Utf16ToUtf8(Cp932ToUtf16(cp932));
}

std::string Cp932ToFullWidth(std::string_view cp932) {
  return Utf16ToCp932(MapFullWidthJapanese(Cp932ToUtf16(cp932)));
}

}  // namespace tenrovel::platform
