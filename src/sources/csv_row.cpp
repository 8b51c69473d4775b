#include "sources/csv_row.h"

#include "job/cp932_text.h"

namespace tenrovel::sources {

namespace {

void AppendQuoted(std::string& row, const std::string& field) {
  row += '"';
  row += job::ReplaceAll(field, "\"", "\"\"");
  row += '"';
}

}  // namespace

std::string QuotedCsvRow(std::span<const std::string> fields) {
  std::string row;
  for (const std::string& field : fields) {
    if (!row.empty())
      row += ',';
    AppendQuoted(row, field);
  }
  return row;
}

std::string MinimalCsvRow(std::span<const std::string> fields) {
  std::string row;
  bool first = true;
  for (const std::string& field : fields) {
    if (!first)
      row += ',';
    first = false;
    // None of these bytes is ever a trail byte, so a byte search is enough.
    if (field.find_first_of(",\"\r\n") != std::string::npos) {
      AppendQuoted(row, field);
    } else {
      row += field;
    }
  }
  return row;
}

}  // namespace tenrovel::sources
