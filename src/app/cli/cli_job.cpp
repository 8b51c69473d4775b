#include "app/cli/cli_job.h"

#include <atomic>
#include <exception>
#include <filesystem>

#include "app/bank_table.h"
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

void Say(const std::string& utf8) {
  platform::WriteStderr("tenrovel: " + utf8 + "\n");
}

fs::path PathFromUtf8(const std::string& utf8) {
  const std::u8string u8(utf8.begin(), utf8.end());
  return fs::path(u8);
}

std::string PathToUtf8(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

// Failed downloads were told as they happened; the rest is for -q to silence.
void PrintSummary(const job::JobReport& report, bool quiet) {
  if (report.escaped_error)
    Say("error: " + *report.escaped_error);
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
int EndOfJob(const job::TMyThread& worker, const fs::path& output, bool interrupted) {
  const job::JobReport& report = worker.Report();
  const std::string file = PathToUtf8(output);
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
void SayOutcome(int code, const job::TMyThread& worker, const fs::path& output) {
  const std::string file = PathToUtf8(output);
  const std::string rows = std::to_string(worker.Report().rows_written);
  const std::string prefectures = std::to_string(worker.Fields().PrefCount);
  switch (code) {
    case kExitRowsWritten:
      Say("wrote " + rows + " rows to " + file + " (" + prefectures + " prefectures)");
      break;
    case kExitPartial: {
      std::string failed;
      for (const std::string& name : job::PrefecturesWithFailedDownloads(worker.Report()))
        failed += (failed.empty() ? "" : ", ") + platform::Cp932ToUtf8(name);
      Say("wrote " + rows + " rows to " + file + " (" + prefectures +
          " prefectures); not fetched: " + failed);
      break;
    }
    case kExitCancelled:
      Say("cancelled: " + rows + " rows kept in " + file);
      break;
    case kExitUnreachable:
      Say("the site could not be reached; " + file + " was not changed");
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

  const fs::path output = options.output_utf8.empty()
                              ? app::PathFromCp932(app::DefaultOutputFileName(bank.facts))
                              : PathFromUtf8(options.output_utf8);
  if (platform::FileExists(output)) {
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
  request.download = app::ProgramDownloader();

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
  const int code = EndOfJob(worker, output, g_interrupted);
  if (!options.quiet)
    SayOutcome(code, worker, output);
  return code;
}

}  // namespace tenrovel::cli
