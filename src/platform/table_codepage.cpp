// CP932 conversions from generated tables, giving the results Windows gives
// (see platform/codepage.h). The POSIX backend uses them; the Windows build
// compiles them too, so that a test can compare them with Windows' own
// conversions.
#include "platform/table_codepage.h"

#include "platform/cp932_tables.h"

namespace tenrovel::platform::table {

std::u16string Cp932ToUtf16(std::string_view cp932) {
  std::u16string out;
  out.reserve(cp932.size());
  const std::size_t n = cp932.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(cp932[i]);
    const std::uint16_t single = cp932::kSingleByte[b];
    if (single != cp932::kLeadMarker) {
      out.push_back(single);
    } else if (i + 1 < n && cp932[i + 1] != '\0') {
      // Windows takes the next byte as the trail byte whatever it is, NUL
      // excepted: a lead byte before NUL stands alone.
      out.push_back(
          cp932::kDoubleByte[cp932::LeadIndex(b)][static_cast<unsigned char>(cp932[++i])]);
    } else {
      out.push_back(cp932::kDefaultUnicode);  // a lead byte that ends the text
    }
  }
  return out;
}

std::string Utf16ToCp932(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 2);
  for (const char16_t u : utf16) {
    const std::uint16_t code = cp932::kWideToCp932[u];
    if (code > 0xFF)
      out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
  }
  return out;
}

}  // namespace tenrovel::platform::table
