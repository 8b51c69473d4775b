// CSV rows, the comma split and the JSON escapes: a row built from any fields
// reads back, with an ordinary CSV reader, as exactly those fields (both
// quoting styles), and the comma split cuts a minimally quoted row back into
// them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.h"
#include "sources/comma_split.h"
#include "sources/json_text.h"
#include "text/csv_row.h"

using namespace tenrovel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> fields = fuzz::CutFields(input);
  if (!fields.empty()) {
    FUZZ_CHECK(fuzz::ReadCsvRecord(text::CsvRow(fields, text::CsvQuoting::kEveryField)) == fields);
    const std::string minimal = text::CsvRow(fields, text::CsvQuoting::kMinimal);
    FUZZ_CHECK(fuzz::ReadCsvRecord(minimal) == fields);
    // The split never makes an item of an empty text.
    if (!minimal.empty())
      FUZZ_CHECK(sources::CommaSplit(minimal) == fields);
  }

  // Any text: the splits end, and the JSON helpers keep text without
  // escapes as it is.
  (void)sources::CommaSplit(input);
  (void)sources::CommaSplit(input, true);
  const std::string unquoted = sources::RemoveUnescapedQuotes(input);
  FUZZ_CHECK(unquoted.size() <= input.size());
  const std::string decoded = sources::DecodeJsonEscapes(input);
  if (input.find('\\') == std::string_view::npos)
    FUZZ_CHECK(decoded == input);
  return 0;
}
