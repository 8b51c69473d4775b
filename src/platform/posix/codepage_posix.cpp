// On POSIX systems the conversions come from our tables.
#include "platform/codepage.h"
#include "platform/codepage_backend.h"
#include "platform/table_codepage.h"
#include "text/width_forms.h"

namespace tenrovel::platform {

std::u16string Cp932ToUtf16(std::string_view cp932) {
  return table::Cp932ToUtf16(cp932);
}

std::string backend::Utf16ToCp932(std::u16string_view utf16) {
  return table::Utf16ToCp932(utf16);
}

std::u16string MapFullWidthJapanese(std::u16string_view utf16) {
  return text::ToFullWidthForms(utf16);
}

}  // namespace tenrovel::platform
