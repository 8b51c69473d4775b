// Text conversions between code page 932 (Shift_JIS as Windows defines it),
// UTF-16 and UTF-8, and the Japanese full-width mapping.
//
// The CP932 conversions give what Windows' MultiByteToWideChar and
// WideCharToMultiByte give for code page 932 with default flags:
//   - Microsoft's table, NEC and IBM extensions and the user-defined area
//     (F040-F9FC <-> U+E000-U+E757) included;
//   - of duplicate codes, Windows' preferred one is produced;
//   - best-fit mappings apply (U+00E9 e-acute -> "e", U+00A5 yen -> 0x5C);
//   - a character with neither a CP932 form nor a best fit becomes "?",
//     and each UTF-16 unit of a character outside the BMP becomes one "?";
//   - a lead byte followed by a byte that makes no character gives one
//     U+30FB for the pair;
// with one exception: the characters that Japanese text carries in their
// JIS X 0208 form become their CP932 twins first (U+301C wave dash -> 81 60,
// U+2016 -> 81 61, U+2212 minus sign -> 81 7C, U+00A2 -> 81 91, U+00A3 ->
// 81 92, U+00AC -> 81 CA, U+2014 em dash -> 81 5C), in both builds.
// The Win32 backend calls Windows; the POSIX backend uses tables generated
// from Microsoft's data. UTF-8 is decoded here on every system: malformed
// input never fails, each maximal ill-formed subsequence becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::platform {

std::u16string Cp932ToUtf16(std::string_view cp932);
// With the JIS twins above.
std::string Utf16ToCp932(std::u16string_view utf16);

std::u16string Utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

std::string Utf8ToCp932(std::string_view utf8);
std::string Cp932ToUtf8(std::string_view cp932);

// Windows' LCMAP_FULLWIDTH under the Japanese locale (0x0411), on UTF-16:
// ASCII and half-width katakana become their full-width forms, a half-width
// kana followed by a half-width (semi-)voiced mark becomes one composed
// character where one exists.
std::u16string MapFullWidthJapanese(std::u16string_view utf16);

// The full-width mapping on CP932 text: read as UTF-16, mapped, written back.
std::string Cp932ToFullWidth(std::string_view cp932);

}  // namespace tenrovel::platform
