// Building one CSV row (without its line end) from column texts.
#pragma once

#include <span>
#include <string>

namespace tenrovel::sources {

// Every field in double quotes; a double quote inside is doubled.
std::string QuotedCsvRow(std::span<const std::string> fields);

// Fields bare, except that a field holding a comma, a double quote, CR or LF
// is quoted with its double quotes doubled.
std::string MinimalCsvRow(std::span<const std::string> fields);

}  // namespace tenrovel::sources
