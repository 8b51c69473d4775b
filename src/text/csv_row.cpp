#include "text/csv_row.h"

#include "text/cp932.h"

namespace tenrovel::text {

namespace {

bool NeedsQuotes(const std::string& field, CsvQuoting quoting) {
  // None of these bytes is ever a trail byte, so a byte search is enough.
  return quoting == CsvQuoting::kEveryField || field.find_first_of(",\"\r\n") != std::string::npos;
}

}  // namespace

std::string CsvRow(std::span<const std::string> fields, CsvQuoting quoting) {
  std::string row;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0)
      row += ',';
    if (NeedsQuotes(fields[i], quoting)) {
      row += '"';
      row += ReplaceAll(fields[i], "\"", "\"\"");
      row += '"';
    } else {
      row += fields[i];
    }
  }
  return row;
}

}  // namespace tenrovel::text
