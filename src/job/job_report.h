// What a job leaves behind for a summary, beyond its output file. Written by
// the worker; read by the UI thread in OnFinishJob or after the worker has
// been joined.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tenrovel::job {

struct DownloadFailure {
  std::string prefecture;  // CP932 name of the prefecture being processed
  std::string url;
  std::string error;
};

// A prefecture whose source wrote fewer rows than the hits it reported.
struct PrefectureShortfall {
  std::string prefecture;  // CP932 name
  int rows_written = 0;
  int item_total = 0;  // `PrefItemTotal` when the source returned
};

struct JobReport {
  std::vector<DownloadFailure> download_failures;  // not those cut short by a stop request
  std::vector<PrefectureShortfall> shortfalls;
  int rows_written = 0;
  // The message of an exception that escaped a source, with the prefecture.
  std::optional<std::string> escaped_error;
};

}  // namespace tenrovel::job
