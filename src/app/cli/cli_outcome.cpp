#include "app/cli/cli_outcome.h"

#include "app/cli/exit_codes.h"
#include "platform/codepage.h"
#include "platform/console.h"

namespace tenrovel::cli {

namespace {

std::string NameList(const std::vector<std::string>& cp932_names) {
  std::string list;
  for (const std::string& name : cp932_names)
    list += (list.empty() ? "" : ", ") + platform::Cp932ToUtf8(name);
  return list;
}

}  // namespace

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

void Say(const std::string& utf8) {
  platform::WriteStderr("tenrovel: " + utf8 + "\n");
}

void PrintSummary(const job::TMyThread& worker, bool quiet) {
  const job::JobReport& report = worker.Report();
  if (report.escaped_error)
    Say("error: " + *report.escaped_error);
  if (!report.not_tried.empty()) {
    Say("the site could not be reached for " +
        std::to_string(worker.Request().give_up_after_unreachable) +
        " prefectures in a row; not tried: " + NameList(report.not_tried));
  }
  if (quiet)
    return;
  for (const auto& shortfall : report.shortfalls) {
    Say(platform::Cp932ToUtf8(shortfall.prefecture) + ": " +
        std::to_string(shortfall.rows_written) + " rows of " +
        std::to_string(shortfall.item_total) + " hits");
  }
}

int EndOfJob(const job::TMyThread& worker, const std::string& file, bool interrupted) {
  const job::JobReport& report = worker.Report();
  if (worker.Fields().OutputOpenFailed) {
    Say("cannot create " + file + ": " + report.create_error.value_or("unknown reason"));
    return kExitCannotCreate;
  }
  const std::string kept =
      report.kept_part_file ? "; the rows are kept in " + PathToUtf8(*report.kept_part_file) : "";
  if (report.escaped_error) {
    Say("an internal error stopped the job" + kept + " (please report it)");
    return kExitInternal;
  }
  // The reader of the rows has all it wanted (`tenrovel -o - | head`).
  if (report.write_error && report.reader_gone && worker.Request().to_standard_output)
    return kExitIoError;
  if (report.write_error) {
    Say("cannot write " + file + ": " + *report.write_error);
    return kExitIoError;
  }
  if (report.replace_error) {
    Say("cannot replace " + file + ": " + *report.replace_error + kept);
    return kExitIoError;
  }
  if (interrupted)
    return kExitCancelled;
  const bool rows = worker.Fields().RowWritten == job::kRowsWritten;
  if (rows && !job::PrefecturesWithFailedDownloads(report).empty())
    return kExitPartial;
  if (rows)
    return kExitRowsWritten;
  if (worker.DownloadFailed())
    return kExitUnreachable;
  return kExitNothingFound;
}

void SayOutcome(int code, const job::TMyThread& worker, const std::string& file) {
  const auto counted = [](auto count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
  };
  const std::string rows = counted(worker.Report().rows_written, "row");
  const std::string prefectures = counted(worker.Fields().PrefCount, "prefecture");
  switch (code) {
    case kExitRowsWritten:
      Say("wrote " + rows + " to " + file + " (" + prefectures + ")");
      break;
    case kExitPartial: {
      const std::string not_tried = NameList(worker.Report().not_tried);
      Say("wrote " + rows + " to " + file + " (" + prefectures +
          "); not fetched: " + NameList(job::PrefecturesWithFailedDownloads(worker.Report())) +
          (not_tried.empty() ? "" : "; not tried: " + not_tried));
      break;
    }
    case kExitCancelled:
      Say("cancelled: " + rows + " kept in " + file);
      break;
    case kExitUnreachable:
      Say(worker.Request().to_standard_output
              ? std::string("the site could not be reached")
              : "the site could not be reached; " + file + " was not changed");
      break;
    case kExitNothingFound:
      Say("nothing found; " + file + " holds the header row");
      break;
    default:  // errors were told as they were found
      break;
  }
}

}  // namespace tenrovel::cli
