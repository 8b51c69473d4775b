#include "app/cli/cli_job.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <filesystem>

#include "app/bank_table.h"
#include "app/cli/answer_archive.h"
#include "app/cli/cli_outcome.h"
#include "app/cli/cli_progress.h"
#include "app/cli/exit_codes.h"
#include "app/output_path.h"
#include "app/program_downloader.h"
#include "app/site_config_loader.h"
#include "job/my_thread.h"
#include "job/queue_dispatcher.h"
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

fs::path PathFromUtf8(const std::string& utf8) {
  const std::u8string u8(utf8.begin(), utf8.end());
  return fs::path(u8);
}

std::chrono::milliseconds ToMilliseconds(double seconds) {
  return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
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
  const std::string shown = to_stdout ? "standard output" : PathToUtf8(output);
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

  PrintSummary(worker, options.quiet);
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
