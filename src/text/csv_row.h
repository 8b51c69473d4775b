// One row of a CSV file, without its line end, from column texts (CP932).
// The two quoting styles are those of the banks' output rows; header rows
// quote every field.
#pragma once

#include <span>
#include <string>

namespace tenrovel::text {

enum class CsvQuoting {
  kEveryField,  // every field in double quotes
  kMinimal,     // fields bare, except one holding a comma, a double quote, CR or LF
};

// The fields joined by commas; a quoted field has its double quotes doubled.
std::string CsvRow(std::span<const std::string> fields, CsvQuoting quoting);

}  // namespace tenrovel::text
