// The postal-code lookup of the SMBC source: for an address without a postal
// code, the lookup service is asked for the code of the address's town (the
// text before its first number).
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::sources {

// The town to look up for an address (CP932): 一丁目..九丁目 written with
// full-width digits, the whole text made full-width, and the text before its
// first full-width digit taken. Empty when no lookup is to be made: an
// address of 10 bytes or less, no digit, or nothing before it. The digit is
// found character by character, since a character without a full-width
// form (a tab, or ﾜﾞ, which has no CP932 form once composed) stays one byte.
std::string PostalLookupTown(std::string_view address);

// The postal code in the first line of a lookup answer (UTF-8): "〒" and the
// text of the first "<ZipCode Old=...</ZipCode>" (letter case ignored)
// without tags; empty when there is none.
std::string PostalCodeFromAnswer(std::string_view first_line);

}  // namespace tenrovel::sources
