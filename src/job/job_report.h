// What a job leaves behind for a summary, beyond its output file. Written by
// the worker; read by the UI thread in OnFinishJob or after the worker has
// been joined.
#pragma once

#include <filesystem>
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
  // Why the output file could not be created, or written (UTF-8, the
  // system's reason). Either way the chosen file was left as it was.
  std::optional<std::string> create_error;
  std::optional<std::string> write_error;
  // The reader of standard output went away (the rows' pipe was closed).
  bool reader_gone = false;
  // CP932 names of the prefectures skipped once the host could not be
  // reached for JobRequest::give_up_after_unreachable prefectures in a row.
  std::vector<std::string> not_tried;
  // The rows are in this part file beside the chosen one, which was left as
  // it was: moving it over the chosen file failed (`replace_error` says why),
  // or an internal error stopped the job.
  std::optional<std::filesystem::path> kept_part_file;
  std::optional<std::string> replace_error;
};

// The prefectures (CP932 names, list order) where a download failed, so that
// rows may be missing.
std::vector<std::string> PrefecturesWithFailedDownloads(const JobReport& report);
// Those, and the prefectures that gave fewer rows than their hit count.
std::vector<std::string> PrefecturesNotFullyFetched(const JobReport& report);

}  // namespace tenrovel::job
