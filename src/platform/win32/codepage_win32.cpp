// CP932 conversions and full-width mapping by Windows itself.
#include <windows.h>

#include <stdexcept>

#include "platform/codepage.h"
#include "platform/codepage_backend.h"

namespace tenrovel::platform {

namespace {

constexpr UINT kCodePage = 932;
const LCID kJapanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);

int CheckedLength(std::size_t size) {
  if (size > 0x3FFFFFFF)
    throw std::length_error("text too long to convert");
  return static_cast<int>(size);
}

}  // namespace

std::u16string Cp932ToUtf16(std::string_view cp932) {
  if (cp932.empty())
    return {};
  const int in_len = CheckedLength(cp932.size());
  const int len = MultiByteToWideChar(kCodePage, 0, cp932.data(), in_len, nullptr, 0);
  std::u16string out(static_cast<std::size_t>(len), u'\0');
  MultiByteToWideChar(kCodePage, 0, cp932.data(), in_len, reinterpret_cast<wchar_t*>(out.data()),
                      len);
  return out;
}

std::string backend::Utf16ToCp932(std::u16string_view utf16) {
  if (utf16.empty())
    return {};
  const auto* in = reinterpret_cast<const wchar_t*>(utf16.data());
  const int in_len = CheckedLength(utf16.size());
  const int len = WideCharToMultiByte(kCodePage, 0, in, in_len, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(len), '\0');
  WideCharToMultiByte(kCodePage, 0, in, in_len, out.data(), len, nullptr, nullptr);
  return out;
}

std::u16string MapFullWidthJapanese(std::u16string_view utf16) {
  if (utf16.empty())
    return {};
  const auto* in = reinterpret_cast<const wchar_t*>(utf16.data());
  const int in_len = CheckedLength(utf16.size());
  const int len = LCMapStringW(kJapanese, LCMAP_FULLWIDTH, in, in_len, nullptr, 0);
  if (len <= 0)
    return {};
  std::u16string out(static_cast<std::size_t>(len), u'\0');
  LCMapStringW(kJapanese, LCMAP_FULLWIDTH, in, in_len, reinterpret_cast<wchar_t*>(out.data()), len);
  return out;
}

}  // namespace tenrovel::platform
