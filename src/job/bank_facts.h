// What the job knows of a bank: the facts of one row of the bank table,
// without the routine of its source. The app fills the table
// (app/bank_table.h) and hands the chosen row and its source to the job, so
// that the job never includes a source and adding a bank touches neither.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "text/csv_row.h"

namespace tenrovel::job {

// What a bank's source is given for each prefecture.
enum class SourceArgument {
  kPrefectureCode,  // "01".."47"
  kPrefectureName,  // the CP932 display name, e.g. 東京都
};

// A source's fixed pauses, which space its requests to the bank's sites.
// SiteConfig::delay_scale scales them.
struct SourcePauses {
  std::chrono::milliseconds after_download{0};  // after every download, before reading it
  std::chrono::milliseconds before_row{0};      // before every row it writes
};

// Every member has an initializer, so that a row may name only what it sets.
struct BankFacts {
  std::string key{};         // ASCII, lower case: the command line's --bank value
  std::string caption{};     // CP932: the caption of the bank's choice in the window
  std::string header_row{};  // CP932: line 1 of the output file, without its line end
  SourceArgument argument = SourceArgument::kPrefectureCode;
  text::CsvQuoting quoting = text::CsvQuoting::kEveryField;  // of the source's rows
  SourcePauses pauses;
  // The source keeps its download in the temporary file from one prefecture
  // to the next, so one left by an earlier run is removed before the first.
  bool keeps_download = false;
};

// A caption made into a name: trimmed, every ASCII space removed, e.g.
// "みずほ銀行店舗" (the status line, the proposed file name).
std::string BankName(std::string_view caption);

}  // namespace tenrovel::job
