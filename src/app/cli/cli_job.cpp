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

void PrintSummary(const job::JobReport& report) {
  for (const auto& failure : report.download_failures) {
    Say("download failed (" + platform::Cp932ToUtf8(failure.prefecture) + "): " + failure.url +
        ": " + failure.error);
  }
  for (const auto& shortfall : report.shortfalls) {
    Say(platform::Cp932ToUtf8(shortfall.prefecture) + ": " +
        std::to_string(shortfall.rows_written) + " rows of " +
        std::to_string(shortfall.item_total) + " hits");
  }
  if (report.escaped_error)
    Say("error: " + *report.escaped_error);
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
    // The job then ends as for a site that cannot be reached.
    Say(bank.facts.key + ": the bank's site has no known host: set " +
        app::SiteSettingOf(bank.site).environment);
  }

  const fs::path output = options.output_utf8.empty()
                              ? app::PathFromCp932(app::DefaultOutputFileName(bank.facts))
                              : PathFromUtf8(options.output_utf8);
  if (platform::FileExists(output)) {
    if (!options.force) {
      Say(PathToUtf8(output) + " exists; use --force to replace it");
      return kExitCannotCreate;
    }
    if (!platform::DeleteFileAt(output)) {
      Say("cannot replace " + PathToUtf8(output));
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
  CliProgress progress(bank.facts.caption, platform::StderrIsTerminal());
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

  const job::JobFields& fields = worker.Fields();
  PrintSummary(worker.Report());
  if (fields.OutputOpenFailed) {
    Say("cannot create " + PathToUtf8(output));
    return kExitCannotCreate;
  }
  if (g_interrupted)
    return kExitCancelled;
  if (fields.RowWritten == job::kRowsWritten)
    return kExitRowsWritten;
  if (worker.DownloadFailed())
    return kExitUnreachable;
  return kExitNothingFound;
}

}  // namespace tenrovel::cli
