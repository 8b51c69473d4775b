#include "app/cli/cli_job.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <filesystem>

#include "app/bank_table.h"
#include "app/cli/answer_archive.h"
#include "app/cli/cli_progress.h"
#include "app/cli/exit_codes.h"
#include "app/output_path.h"
#include "app/program_downloader.h"
#include "app/site_config_loader.h"
#include "job/my_thread.h"
#include "job/queue_dispatcher.h"
#include "platform/codepage.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/output_file.h"

namespace tenrovel::cli {

namespace fs = std::filesystem;

namespace {

std::atomic<bool> g_interrupted{false};
// Prefectures in a row whose host could not be reached before the tool gives
// up on the rest: a site that is down would otherwise take each of up to 47
// prefectures its own wait.
constexpr int kGiveUpAfterUnreachable = 3;
constexpr char kStandardOutputShown[] = "standard output";

void Say(const std::string& utf8) {
  platform::WriteStderr("tenrovel: " + utf8 + "\n");
}

fs::path PathFromUtf8(const std::string& utf8) {
  const std::u8string u8(utf8.begin(), utf8.end());
  return fs::path(u8);
}

std::chrono::milliseconds ToMilliseconds(double seconds) {
  return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

std::string PathToUtf8(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

std::string NameList(const std::vector<std::string>& cp932_names) {
  std::string list;
  for (const std::string& name : cp932_names)
    list += (list.empty() ? "" : ", ") + platform::Cp932ToUtf8(name);
  return list;
}

// Failed downloads were told as they happened; the rest is for -q to silence.
void PrintSummary(const job::JobReport& report, bool quiet) {
  if (report.escaped_error)
    Say("error: " + *report.escaped_error);
  if (!report.not_tried.empty()) {
    Say("the site could not be reached for " + std::to_string(kGiveUpAfterUnreachable) +
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

// The exit code when several outcomes meet, the gravest first; also tells
// what happened to the file.
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

// What a job that ran to an outcome did, in one line.
void SayOutcome(int code, const job::TMyThread& worker, const std::string& file) {
  const std::string rows = std::to_string(worker.Report().rows_written);
  const std::string prefectures = std::to_string(worker.Fields().PrefCount);
  switch (code) {
    case kExitRowsWritten:
      Say("wrote " + rows + " rows to " + file + " (" + prefectures + " prefectures)");
      break;
    case kExitPartial: {
      const std::string not_tried = NameList(worker.Report().not_tried);
      Say("wrote " + rows + " rows to " + file + " (" + prefectures +
          " prefectures); not fetched: " +
          NameList(job::PrefecturesWithFailedDownloads(worker.Report())) +
          (not_tried.empty() ? "" : "; not tried: " + not_tried));
      break;
    }
    case kExitCancelled:
      Say("cancelled: " + rows + " rows kept in " + file);
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

}  // namespace

int RunCliJob(const CliOptions& options) {
  const app::BankRow& bank = app::Banks().at(options.bank);
  std::vector<std::string> problems;
  const job::SiteConfig sites = app::LoadSiteConfig({}, &problems);
  for (const std::string& problem : problems)
    Say(problem);
  if (!problems.empty())
    return kExitUsage;
  if ((sites.*bank.site).empty()) {
    // Said before any file is made: the job could only fail.
    Say(bank.facts.key + ": the bank's site has no known host: set " +
        app::SiteSettingOf(bank.site).environment);
    return kExitConfig;
  }

  const bool to_stdout = options.output_utf8 == kStandardOutputName;
  const fs::path output = options.output_utf8.empty()
                              ? app::PathFromCp932(app::DefaultOutputFileName(bank.facts))
                              : PathFromUtf8(options.output_utf8);
  const std::string shown = to_stdout ? kStandardOutputShown : PathToUtf8(output);
  if (to_stdout) {
    // Nothing to replace: the rows go out as they come.
  } else if (platform::FileExists(output)) {
    if (!options.force) {
      Say(PathToUtf8(output) + " exists; use --force to replace it");
      return kExitCannotCreate;
    }
    // Replaced only when the job ends; it must be replaceable now.
    if (!platform::CanReplaceFile(output)) {
      Say("cannot replace " + PathToUtf8(output) + ": it is in use or may not be written");
      return kExitCannotCreate;
    }
  } else if (platform::FolderExists(output)) {
    Say(PathToUtf8(output) + " is a folder");
    return kExitCannotCreate;
  }

  std::optional<AnswerArchive> archive;
  if (!options.save_answers_utf8.empty()) {
    const fs::path folder = PathFromUtf8(options.save_answers_utf8);
    if (const auto problem = AnswerArchive::Prepare(folder)) {
      Say("cannot create " + options.save_answers_utf8 + ": " + *problem);
      return kExitCannotCreate;
    }
    archive.emplace(folder);
  }

  // The temporary download file lives in a folder of its own for this job.
  std::optional<platform::PrivateTempFolder> temp_folder;
  try {
    temp_folder.emplace("tenrovel-cli");
  } catch (const std::exception& e) {
    Say(e.what());
    return kExitCannotCreate;
  }

  job::JobRequest request;
  request.bank = bank.facts;
  request.source = bank.source;
  request.checked = options.checked;
  request.output_path = output;
  request.temp_path = temp_folder->path() / "tmp.dat";
  request.sites = sites;
  platform::DownloadOptions download_options;
  download_options.connect_timeout = ToMilliseconds(options.connect_timeout_seconds);
  download_options.stall_timeout = ToMilliseconds(options.stall_timeout_seconds);
  request.download = app::ProgramDownloader(download_options);
  if (archive)
    request.download = archive->Wrap(std::move(request.download));
  request.give_up_after_unreachable = kGiveUpAfterUnreachable;
  request.to_standard_output = to_stdout;
  request.encoding = options.encoding;

  platform::InstallInterruptFlag(&g_interrupted);
  job::QueueDispatcher dispatcher;
  CliProgress progress(bank.facts.caption, platform::StderrIsTerminal() && !options.quiet,
                       options.quiet);
  job::TMyThread worker(request, dispatcher, progress);
  worker.Start();
  bool stop_sent = false;
  dispatcher.RunUntil([&progress] { return progress.finished(); },
                      [&] {
                        if (g_interrupted && !stop_sent) {
                          stop_sent = true;
                          worker.RequestStop();
                        }
                      });
  worker.WaitFor();

  PrintSummary(worker.Report(), options.quiet);
  if (archive) {
    if (const auto problem = archive->Problem())
      Say("not every answer could be saved in " + options.save_answers_utf8 + ": " + *problem);
  }
  const int code = EndOfJob(worker, shown, g_interrupted);
  if (!options.quiet)
    SayOutcome(code, worker, shown);
  return code;
}

}  // namespace tenrovel::cli
