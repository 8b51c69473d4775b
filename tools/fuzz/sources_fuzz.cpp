// The rows that the Mizuho and MUFG sources build from any answer: every row
// reads back, with an ordinary CSV reader, as exactly the header's number of
// fields (18 and 15), holding the columns that were extracted.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.h"
#include "platform/codepage.h"
#include "sources/comma_split.h"
#include "sources/mizuho_answer.h"
#include "sources/mizuho_record.h"
#include "sources/mufg.h"
#include "text/cp932.h"
#include "text/csv_row.h"

using namespace tenrovel;

namespace {

// The input as the Mizuho service's answer line (UTF-8).
void MizuhoRows(std::string_view answer) {
  std::string line = platform::Utf8ToCp932(answer);
  const std::vector<std::string_view> items = sources::CommaSplitInPlace(line, true);
  (void)sources::ReadMizuhoHitCount(items, [] { return false; });
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!sources::IsMizuhoRecordStart(items[i]))
      continue;
    const sources::MizuhoColumns columns = sources::ExtractMizuhoColumns(
        items, i, [] { return false; }, "https://d.example");
    const auto read = fuzz::ReadCsvRecord(text::CsvRow(columns, text::CsvQuoting::kEveryField));
    FUZZ_CHECK(read && read->size() == sources::kMizuhoColumnCount);
    FUZZ_CHECK(std::equal(read->begin(), read->end(), columns.begin()));
  }
}

// The input as the MUFG data file (CP932 lines).
void MufgRows(std::string_view file) {
  const auto lines = text::SplitLines(file);
  const auto kept = sources::KeepMufgLines(lines, "13", [] { return false; });
  for (const std::string_view line : lines) {
    if (const auto columns = sources::MufgColumns(text::TrimView(line))) {
      const auto read = fuzz::ReadCsvRecord(text::CsvRow(*columns, text::CsvQuoting::kMinimal));
      FUZZ_CHECK(read && *read == *columns && read->size() == 15);
    }
  }
  for (const std::string_view line : kept)
    FUZZ_CHECK(sources::IsMufgPrefectureLine(line, "13"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  MizuhoRows(input);
  MufgRows(input);
  return 0;
}
